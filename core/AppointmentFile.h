#pragma once
// Appointment files: fixed 388-byte records, record 0 the header, texts with a
// length byte and scrambled Windows-1252 bytes, integers little-endian.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "EntryTable.h"

namespace tmf {

inline constexpr std::size_t kRecordSize = 388;
inline constexpr const char* kFileFilter = "Termifoliodateien (*.tmf)";
inline constexpr const char* kDefaultFileName = "Termif98.tmf";
inline constexpr const char* kTestFileName = "TestDatei.tmf";

enum class LoadResult {
    Loaded,
    Truncated,           // fewer records than the header promised; what was read is loaded
    NotAppointmentFile,  // "Keine Termifolio98 Datei !": the count is not a number
    Failed,              // " konnte nicht geladen werden !": cannot be opened or read
};
inline bool IsLoaded(LoadResult r) { return r == LoadResult::Loaded || r == LoadResult::Truncated; }

// Whether "Keine Termifolio98 Datei !" names the file. A check run that goes
// on to the next file names it, so the user learns which one was passed by;
// where the user has just picked the file, the short message says enough.
enum class NameInMessage { No, Yes };

// mode "Alles" loads the whole file, the empty mode record 0 only. Shows the
// failure messages; the caller decides what a failure means for the program.
LoadResult LoadAppointmentFile(const std::string& name, std::string_view mode,
                               NameInMessage naming = NameInMessage::No);

// mode "Alles" writes the whole table (replacing the file only once the new
// one is complete); the empty mode rewrites record 0 in place. Option "Datum"
// first stamps today's date into the header. A failure shows a message that
// names the file and returns false.
bool SaveAppointmentFile(const std::string& name, std::string_view mode, std::string_view option);

// True when the last load of this file in this run failed. Such a file is
// never written to: the table does not hold its content. A load that
// succeeds later, or ForgetLoadFailure (the user chose to overwrite it),
// clears the mark.
bool FailedToLoad(const std::string& name);
void ForgetLoadFailure(const std::string& name);
void ForgetAllLoadFailures();

// "->name Datei wurde geändert ! / ABSPEICHERN ?"; true when the user chose to
// save and the file was written.
bool AskSaveIfChanged(const std::string& name);

// The same prompt, telling a "Nein" apart from a "Ja" whose save failed.
enum class SavePrompt { Saved, Declined, Failed };
SavePrompt AskSaveIfChangedOutcome(const std::string& name);

// Before a command replaces the table: offers to save a changed current
// file. False when the user wanted it saved and the save failed; the
// command must stop then, or the unsaved entries would be thrown away.
bool OfferSaveBeforeReplacing();

// After a failed load of the current file: an empty header, default
// settings, "TestDatei.tmf" in the data folder as the current file, created
// on disk with its header.
void ResetToTestFile();

// One record in and out, for the file code, the tools and the fuzzers.
void DecodeRecord(const unsigned char* record, Row& row);
// Only the given text fields (the rest of row is left as it is), for a
// caller that shows a few fields of a large file's entries.
void DecodeTexts(const unsigned char* record, Row& row, std::initializer_list<int> fields);
// Only what the check decides on, straight from a record. `date` is there
// when the stored text is a date in the form "dd.mm.yyyy" that the load's
// validation leaves as it is; any other date needs the record's full decoding
// and the validation, with its message.
struct CheckFields {
    std::optional<std::chrono::year_month_day> date;
    int warnung1 = 0;
    int warnung2 = 0;
    int erreicht = 0;
};
std::optional<std::chrono::year_month_day> NormalStoredDate(const unsigned char* record);
void DecodeCheckFields(const unsigned char* record, CheckFields& fields);
// The deletion flag, wanted only of the few entries that have something to
// show.
bool StoredLoeschen(const unsigned char* record);
// Asks the processor for the bytes DecodeCheckFields will read of a record
// ahead, so that a loop over a mapped file does not wait for them.
void PrefetchCheckFields(const unsigned char* record);
void EncodeRecord(const Row& row, unsigned char* record);
// A load shows this many "Datumsfehler" boxes per file, then one summary of
// the `more` dates beyond them.
inline constexpr std::int32_t kDateMessagesPerFile = 5;
std::string DateErrorSummary(const std::string& name, std::int32_t more);

}  // namespace tmf
