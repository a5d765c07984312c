#include "CheckRules.h"

#include <cstdint>
#include <cstdlib>

#include "Dates.h"

namespace tmf {

using namespace std::chrono;

CheckDay MakeCheckDay(sys_days today, std::string_view lastCheckText, const AnniversaryTable* anniversaries) {
    CheckDay day{today, std::nullopt, anniversaries};
    if (const auto last = ParseDate(lastCheckText)) day.lastCheck = sys_days{*last};
    return day;
}

sys_days LastAnniversaryBefore(year_month_day date, sys_days today) {
    const year thisYear = year_month_day{today}.year();
    const sys_days anniversary = AnniversaryInYear(date, thisYear);
    return anniversary < today ? anniversary : AnniversaryInYear(date, thisYear - years{1});
}

AnniversaryTable::AnniversaryTable(sys_days today) : todayDate_(today) {
    // In a leap year, so that 29 February is a date too; only day and month
    // count, and a common year's 1 March comes from the rules where due.
    for (unsigned m = 1; m <= 12; ++m)
        for (unsigned d = 1; d <= 31; ++d) {
            const year_month_day date{year{2000}, month{m}, day{d}};
            if (!date.ok()) continue;
            Anniversary& a = days_[(m - 1) * 31 + d - 1];
            a.daysToNext = DaysToNextAnniversary(date, today);
            a.lastBefore = LastAnniversaryBefore(date, today);
        }
}

namespace {

// Days until the next anniversary (or until the date while it is still to
// come) and the most recent anniversary before today.
struct Anniversaries {
    int daysToNext;
    sys_days lastBefore;
};

Anniversaries Look(year_month_day date, const CheckDay& day) {
    const AnniversaryTable* table = day.anniversaries;
    if (!table || !date.ok()) return {DateValue(date, DateKind::NT, day.today), LastAnniversaryBefore(date, day.today)};
    const AnniversaryTable::Anniversary& a = table->of(date);
    if (date > table->todayDate()) return {static_cast<int>((sys_days{date} - day.today).count()), a.lastBefore};
    return {a.daysToNext, a.lastBefore};
}

}  // namespace

EntryFindings CheckEntry(EntryState& entry, const CheckDay& day) {
    EntryFindings f;
    const Anniversaries anniversaries = Look(entry.date, day);
    const int d = anniversaries.daysToNext;
    f.days = d;

    if (entry.warnung1 >= d) {
        f.firstWarning = true;
        f.kind = FirstWarning;
        // A given first warning is kept as the negated lead; a lead of 0 stays 0.
        if (entry.warnung1 >= 0) {
            entry.warnung1 = -entry.warnung1;
            entry.written |= EntryState::kWarnung1;
        }
    }
    if (entry.warnung2 >= d) {
        f.secondWarning = true;
        f.kind = SecondWarning;
    }
    if (d == 0) {
        f.kind = DueToday;
        if (entry.erreicht == 0) {
            entry.erreicht = 1;
            entry.written |= EntryState::kErreicht;
        }
    }

    if (day.lastCheck && entry.erreicht == 0 && anniversaries.lastBefore > *day.lastCheck) {
        f.passedOver = true;
        entry.erreicht = 1;
        entry.written |= EntryState::kErreicht;
    }

    // Once the date lies behind, the entry is armed again for its next
    // anniversary; a passed-over entry is re-armed in the same pass.
    if (d > 0 && entry.erreicht == 1) {
        entry.warnung1 = std::llabs(entry.warnung1);
        entry.warnung2 = std::llabs(entry.warnung2);
        entry.erreicht = 0;
        entry.written |= EntryState::kWarnung1 | EntryState::kWarnung2 | EntryState::kErreicht;
    }
    f.changed = entry.written != 0;
    return f;
}

EntryFindings CheckEntry(Row& entry, const CheckDay& day) {
    // The load puts every date through the validation; a stray text counts as
    // the fallback date, as everywhere else.
    const std::string* text = entry[TerminAm].textIf();
    EntryState state;
    state.date = ParseDate(text ? *text : entry[TerminAm].asText()).value_or(year{100} / January / 1);
    state.warnung1 = entry[Warnung1].asInteger();
    state.warnung2 = entry[Warnung2].asInteger();
    state.erreicht = entry[Erreicht].asInteger();
    const EntryFindings f = CheckEntry(state, day);
    // Only what the rules wrote goes back: a field they left keeps its form.
    if (state.written & EntryState::kWarnung1) entry[Warnung1] = Cell(static_cast<std::int64_t>(state.warnung1));
    if (state.written & EntryState::kWarnung2) entry[Warnung2] = Cell(static_cast<std::int64_t>(state.warnung2));
    if (state.written & EntryState::kErreicht) entry[Erreicht] = Cell(static_cast<std::int64_t>(state.erreicht));
    return f;
}

void FindingCounts::add(const EntryFindings& f) {
    if (f.days != 0) {
        if (f.firstWarning) ++first;
        else if (f.secondWarning) ++second;
    }
    if (f.kind == DueToday) ++dueToday;
}

std::string FindingText(int kind, int days, std::string_view term) {
    std::string text;
    AppendFindingText(text, kind, days, term);
    return text;
}

void AppendFindingText(std::string& out, int kind, int days, std::string_view term) {
    switch (kind) {
        case FirstWarning:
        case SecondWarning:
            out += "hat in ";
            out += std::to_string(days);
            out += " Tag(en) ";
            out += term;
            out += " !";
            break;
        case DueToday:
            out += "hat Heute ";
            out += term;
            out += " !";
            break;
        case PassedOver:
            out += term;
            out += " wurde übergangen !";
            break;
        default: break;
    }
}

const char* CheckKindLabel(int kind) {
    switch (kind) {
        case FirstWarning: return "1.Warnung";
        case SecondWarning: return "2.Warnung";
        case DueToday: return "Heute Termin";
        case PassedOver: return "Übergangen";
        default: return "";
    }
}

std::string CheckSummaryText(const FindingCounts& counts) {
    return std::to_string(counts.dueToday) + " Termin(e)" + " , " + std::to_string(counts.first + counts.second) +
           " Warnung(en)";
}

}  // namespace tmf
