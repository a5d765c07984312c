// "vCard importieren ..." and "iCalendar exportieren ..." from the grid's
// popup menu: file pickers, the question, the summaries, the files on disk.
#include <QMenu>
#include <QTableView>

#include "FileIo.h"
#include "ProgramFixture.h"

using namespace tmf;
using test::EntrySpec;

class ExchangeCommands : public test::ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        current = data + "Familie.tmf";
        test::WriteAppointmentFileBytes(
            current, test::AppointmentFileBytes({{"Karl", "Berg", "24.12.1950", "Geburtstag"}}, "07.12.2026", 0, 2));
        WriteCheckList({current}, /*atStart=*/false);
        ASSERT_TRUE(Start());
        main = program->GebF.get();
        vcf = dir.path() + "Kontakte.vcf";
        std::string cards =
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Adam;Berta;;;\r\nBDAY:--0315\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Berg;Karl;;;\r\nBDAY:1950-12-24\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ohne;Datum;;;\r\nEND:VCARD\r\n";
        ASSERT_TRUE(WriteFileAtomically(vcf, cards));
        platform.clearRecords();
    }
    std::string Disk() const { return ReadWholeFile(current).value_or(""); }

    std::string current, vcf;
    TGebF* main = nullptr;
};

TEST_F(ExchangeCommands, PopupMenuOffersBothBesideDelete) {
    auto* menu = main->findChild<QMenu*>("PopupMenu1");
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction* a : menu->actions()) texts << a->text();
    EXPECT_EQ(texts, (QStringList{"Löschen", "vCard importieren ...", "Server-Abgleich ...", "iCalendar exportieren ..."}));
}

TEST_F(ExchangeCommands, ImportAsksThenSavesSortsFillsAndSummarises) {
    platform.queueFile(vcf);
    platform.queueAnswer(Answer::Yes);
    main->VCardImportClick();
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0], "1 neuen Eintrag aus Kontakte.vcf in Familie.tmf übernehmen und die Datei speichern ?");
    EXPECT_EQ(platform.messageTexts().back(),
              "vCard-Import aus Kontakte.vcf:\r\n\r\n1 Eintrag hinzugefügt\r\n1 schon vorhanden\r\n"
              "1 ohne verwendbares Datum übergangen\r\n0 Namen für die Speicherung angepaßt");
    EXPECT_EQ(platform.fileRequests.back().filter, "vCard-Dateien (*.vcf *.vcard)");
    auto* sg = main->findChild<QTableView*>("SG");
    ASSERT_EQ(sg->model()->rowCount(), 2);
    EXPECT_EQ(sg->model()->index(0, 2).data().toString(), "Adam");  // sorted by last name
    EXPECT_EQ(Modified, 0);
    ResetProgramState();
    ASSERT_EQ(LoadAppointmentFile(current, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(EntryTable(TerminAm, 1).asText(), "15.03.0101");
}

TEST_F(ExchangeCommands, CancelledPickerOrQuestionLeavesTheFileAsItWas) {
    const std::string before = Disk();
    platform.queueFile(std::nullopt);
    main->VCardImportClick();
    platform.queueFile(vcf);
    platform.queueAnswer(Answer::No);
    main->VCardImportClick();
    EXPECT_EQ(Disk(), before);
    EXPECT_EQ(EntryCount, 1);
    EXPECT_EQ(platform.messageTexts().size(), 1u);  // the question only
}

TEST_F(ExchangeCommands, ExportWritesTheCalendarFileAndSaysHowManyEntries) {
    const std::string ics = dir.path() + "Familie.ics";
    platform.queueFile(ics);
    main->ICalendarExportClick();
    EXPECT_EQ(platform.fileRequests.back().fileName, "Familie.ics");
    EXPECT_EQ(platform.messageTexts().back(), "1 Termin nach Familie.ics exportiert.");
    const std::string text = ReadWholeFile(ics).value_or("");
    EXPECT_NE(text.find("SUMMARY:Karl Berg: Geburtstag\r\n"), std::string::npos);
}

TEST_F(ExchangeCommands, UnsavedChangesAreOfferedForSavingBeforeTheImportWritesTheFile) {
    const std::string prompt = "->" + current + " Datei wurde geändert !\r\nABSPEICHERN ?";
    const std::string question = "1 neuen Eintrag aus Kontakte.vcf in Familie.tmf übernehmen und die Datei speichern ?";
    // {answer to the save prompt, questions asked, entries in the file, entries in the table, Modified}
    const struct {
        Answer save;
        std::vector<std::string> questions;
        int onDisk, inTable, modified;
    } cases[] = {
        {Answer::Yes, {prompt, question}, 3, 3, 0},  // the change saved, then the import added to it
        {Answer::No, {prompt}, 1, 2, 1},             // nothing imported, nothing written, the change kept
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.questions.size());
        ASSERT_TRUE(WriteFileAtomically(current, test::AppointmentFileBytes({{"Karl", "Berg", "24.12.1950", "Geburtstag"}},
                                                                            "07.12.2026", 0, 2)));
        ASSERT_EQ(LoadAppointmentFile(current, "Alles"), LoadResult::Loaded);
        // An entry added by hand, not yet saved.
        EntryCount = 2;
        ResizeEntryTable(2);
        EntryTable.row(2) = test::MakeRow({"Olga", "Neu", "02.02.2002"});
        Modified = 1;
        platform.clearRecords();
        platform.queueFile(vcf);
        platform.queueAnswer(c.save);
        platform.queueAnswer(Answer::Yes);  // the import's own question, when it comes
        main->VCardImportClick();
        EXPECT_EQ(platform.questions, c.questions);
        EXPECT_EQ(ReadBack(current).count, c.onDisk);
        EXPECT_EQ(EntryCount, c.inTable);
        EXPECT_EQ(Modified, c.modified);
        platform.answers.clear();
    }
}
