// Saves of earlier versions, which kept them beside the executable, carried
// into the player's folders (platform/paths.h) at the first start.
#pragma once

// Where a folder of the player's is made by this start (it was not there
// before) and an old place holds saves for it, copies them: config.sav and
// extras.sav into the config folder, record.sav and ghost/ into the save
// folder. Never deletes or overwrites; says on standard output what it
// copied. Nothing happens in portable mode (the saves stay where they are)
// or for another game folder than the game's own. Makes both folders.
void CarryOverOldSaves();
