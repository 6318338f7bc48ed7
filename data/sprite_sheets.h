// The sprite sheets listed in "sprite.ini".
#pragma once

int  LoadSpriteSheets();      // 1 read, 0 when sprite.ini cannot be opened
void ReleaseSpriteSheets();
