#pragma once
// "Liste.dat" (20 settings lines and the 101 check-list slots) and
// "Termin.dat" (the term names): text files of scrambled lines.
#include <string>
#include <string_view>
#include <vector>

namespace tmf {

inline constexpr const char* kCheckListFileName = "Liste.dat";
inline constexpr const char* kTermNamesFileName = "Termin.dat";

// Splits the bytes into lines that end only at CR LF. Scrambling can turn a
// character into a lone CR, LF or the byte 26, so those are text here; a
// last line without CR LF counts too.
std::vector<std::string_view> SplitCrLfLines(std::string_view bytes);

// One line of these files to UTF-8 and back: the Windows-1252 bytes,
// scrambled with the key of the line's length (a line of the Windows-1252
// form is read up to 255 bytes). Any text that does not come back exactly
// that way (characters beyond Windows-1252, bytes that are no UTF-8) takes a
// marked form that gives back every byte; see ListFiles.cpp. At most 255
// characters are stored.
std::string DecodeListLine(std::string_view bytes);
std::string EncodeListLine(std::string_view utf8);
// False for a text whose scrambled form holds the pair CR LF: written as a
// line it would come back as two. The files have no escape for it, so such a
// text is refused where it would enter them.
bool SurvivesListFile(std::string_view utf8);

// Reads DataDir + "Liste.dat" into ListLines and drops files that no longer
// exist from the check list (rewriting the file then). False when the file
// could not be read, or held no list; ListLines is then unchanged, and the
// next SaveCheckList first moves the old file aside as "Liste.dat.defekt"
// (or refuses to write when that fails), so nothing of it is lost.
bool LoadCheckList();
bool SaveCheckList();
void ForgetListLoadFailure();

// Reads DataDir + "Termin.dat" into TermNames, creating the file when it is
// missing.
void LoadTermNames();
bool SaveTermNames();

}  // namespace tmf
