// The player's own text files (the key bindings, the calibration), kept in
// the folder that holds config.sav: read whole, written whole or not at all.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The full path of `name` in that folder.
std::string ConfigFilePath(const char* name);

// The file's text; 0 (text empty) when it cannot be read, as when it has
// not been written yet, or is bigger than kConfigFileLimit (said once).
const size_t kConfigFileLimit = 1 << 20;
int ReadConfigFile(const char* name, std::string* text);
// Replaces the file with `text`; on failure says so on standard error once
// per run (`reported` remembers it). 1 written.
int WriteConfigFile(const char* name, const std::string& text, int* reported);

// What both readers share: the text's lines without their ends (a UTF-8
// byte-order mark dropped), blanks trimmed off, and the broken lines said
// on standard error, one message a line.
std::vector<std::string> SplitLines(const std::string& text);
std::string TrimBlanks(const std::string& s);
void ReportProblems(const std::string& problems);
// `s` in quotes for such a message; past 40 bytes cut at a character's
// start and ended with "...", so one long line cannot flood the terminal.
std::string Quoted(const std::string& s);
