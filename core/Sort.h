#pragma once
// Puts the entries in the order of one of the seven sort choices.
namespace tmf {

enum SortChoice : int {
    SortNone = 0,
    SortFirstName = 1,   // "Vorname dann Nachname"
    SortLastName = 2,    // "Nachname dann Vorname"
    SortSpanUp = 3,      // "Zeitraum aufsteigend"
    SortSpanDown = 4,    // "Zeitraum absteigend"
    SortNextDate = 5,    // "Termin"
    SortTermThenDate = 6 // "Terminart dann Termin"
};

// A Shell sort whose sequence of comparisons and swaps is fixed, so that rows
// with equal keys always end in the same order; the user sees the same list
// for the same file every time. Any choice other than 1..6 leaves the table.
void SortEntries(int choice);
// Sorts by the choice the current file keeps in its header (field 2).
void SortEntriesByFileChoice();

}  // namespace tmf
