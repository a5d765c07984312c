// The message, question and input boxes as the user meets them: German
// buttons, the program's title, line breaks, and what Escape and Cancel mean.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "PlatformTestSupport.h"
#include "QtDialogs.h"

using tmf::Answer;
using tmf::Buttons;
using tmf::MessageKind;
using tmf::qt::QtDialogs;
using tmf::test::WhenShown;

namespace {

// A button's text as the user reads it, without its mnemonic mark.
QString Shown(const QAbstractButton* b) {
    return QString(b->text()).remove(QLatin1Char('&'));
}

QStringList ButtonTexts(const QMessageBox* box) {
    QStringList texts;
    for (QAbstractButton* b : box->buttons()) texts << Shown(b);
    texts.sort();
    return texts;
}

QAbstractButton* ButtonWithText(const QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons()) {
        if (Shown(b) == text) return b;
    }
    return nullptr;
}

void Click(QMessageBox* box, const QString& text) {
    QAbstractButton* b = ButtonWithText(box, text);
    if (!b) {
        ADD_FAILURE() << "no button " << text.toStdString();
        box->reject();
        return;
    }
    b->click();
}

}  // namespace

TEST(PlatformDialogs, AQuestionWithCancelShowsJaNeinAbbrechenAndTheLineBreaks) {
    QStringList texts;
    QString shown, title;
    QMessageBox::Icon icon{};
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        texts = ButtonTexts(box);
        shown = box->text();
        title = box->windowTitle();
        icon = box->icon();
        Click(box, "Nein");
    });
    QtDialogs dialogs;
    const Answer a = dialogs.Ask("Termine.tmf\r\nDatei abspeichern ?\rWirklich?", MessageKind::Confirmation,
                                 Buttons::YesNoCancel);
    EXPECT_EQ(a, Answer::No);
    EXPECT_EQ(texts, (QStringList{"Abbrechen", "Ja", "Nein"}));
    EXPECT_EQ(shown, "Termine.tmf\nDatei abspeichern ?\nWirklich?");
    EXPECT_EQ(title, "Termifolio98");
    EXPECT_EQ(icon, QMessageBox::Question);
}

TEST(PlatformDialogs, EachButtonGivesItsAnswer) {
    QtDialogs dialogs;
    WhenShown<QMessageBox>([](QMessageBox* box) { Click(box, "Ja"); });
    EXPECT_EQ(dialogs.Ask("?", MessageKind::Confirmation, Buttons::YesNo), Answer::Yes);
    WhenShown<QMessageBox>([](QMessageBox* box) { Click(box, "Abbrechen"); });
    EXPECT_EQ(dialogs.Ask("?", MessageKind::Confirmation, Buttons::YesNoCancel), Answer::Cancel);
}

TEST(PlatformDialogs, EscapeMeansNoOrAbbrechenWhereThereIsOne) {
    QtDialogs dialogs;
    QStringList texts;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        texts = ButtonTexts(box);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(dialogs.Ask("Löschen ?", MessageKind::Confirmation, Buttons::YesNo), Answer::No);
    EXPECT_EQ(texts, (QStringList{"Ja", "Nein"}));
    WhenShown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.Ask("Speichern ?", MessageKind::Confirmation, Buttons::YesNoCancel), Answer::Cancel);
}

TEST(PlatformDialogs, TheLettersJAndNAnswerAsOnAGermanDesktop) {
    struct Case {
        Buttons buttons;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        Answer expected;
        bool answeredByTheKey;
    };
    const Case cases[] = {
        {Buttons::YesNo, Qt::Key_J, Qt::NoModifier, Answer::Yes, true},
        {Buttons::YesNo, Qt::Key_N, Qt::NoModifier, Answer::No, true},
        {Buttons::YesNo, Qt::Key_J, Qt::ShiftModifier, Answer::Yes, true},
        {Buttons::YesNo, Qt::Key_J, Qt::AltModifier, Answer::Yes, true},
        {Buttons::YesNoCancel, Qt::Key_J, Qt::NoModifier, Answer::Yes, true},
        {Buttons::YesNoCancel, Qt::Key_N, Qt::NoModifier, Answer::No, true},
        {Buttons::YesNoCancel, Qt::Key_Escape, Qt::NoModifier, Answer::Cancel, true},
        // The English letters answer nothing, nor does A: "Abbrechen" is Esc.
        {Buttons::YesNoCancel, Qt::Key_Y, Qt::NoModifier, Answer::Cancel, false},
        {Buttons::YesNoCancel, Qt::Key_A, Qt::NoModifier, Answer::Cancel, false},
        {Buttons::YesNo, Qt::Key_Y, Qt::NoModifier, Answer::No, false},
    };
    QtDialogs dialogs;
    for (const Case& c : cases) {
        bool answered = false;
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            // The key reaches the box where the user's would: at the
            // button that has the focus.
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : box;
            QTest::keyClick(target, c.key, c.modifiers);
            QTest::qWait(400);  // a letter presses its button for a moment
            answered = !box->isVisible();
            if (!answered) QTest::keyClick(box, Qt::Key_Escape);
        });
        const Answer a = dialogs.Ask("Datei abspeichern ?", MessageKind::Confirmation, c.buttons);
        EXPECT_EQ(a, c.expected) << c.key << " " << static_cast<int>(c.buttons);
        EXPECT_EQ(answered, c.answeredByTheKey) << c.key << " " << static_cast<int>(c.buttons);
    }
}

TEST(PlatformDialogs, EnterMeansJa) {
    QtDialogs dialogs;
    WhenShown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_EQ(dialogs.Ask("Weiter ?", MessageKind::Confirmation, Buttons::YesNoCancel), Answer::Yes);
}

TEST(PlatformDialogs, MessagesShowTheIconOfTheirKindAndAnOkButton) {
    QtDialogs dialogs;
    const std::pair<MessageKind, QMessageBox::Icon> kinds[] = {
        {MessageKind::Information, QMessageBox::Information},
        {MessageKind::Warning, QMessageBox::Warning},
        {MessageKind::Error, QMessageBox::Critical},
    };
    for (const auto& [kind, expected] : kinds) {
        QMessageBox::Icon icon{};
        QStringList texts;
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            icon = box->icon();
            texts = ButtonTexts(box);
            Click(box, "OK");
        });
        dialogs.ShowMessage("Fehler beim Aufruf von /x/Konverto.exe !", kind);
        EXPECT_EQ(icon, expected);
        EXPECT_EQ(texts, QStringList{"OK"});
    }
}

TEST(PlatformDialogs, TextsThatLookLikeMarkupAreShownAsTyped) {
    // Names and remarks come from the user; "<b>" must not turn bold.
    QtDialogs dialogs;
    Qt::TextFormat format = Qt::RichText;
    QString label;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        format = box->textFormat();
        if (auto* l = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) label = l->text();
        Click(box, "OK");
    });
    dialogs.ShowMessage("<b>Meier</b> & <i>Sohn</i> wurde übergangen !", MessageKind::Information);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(label, "<b>Meier</b> & <i>Sohn</i> wurde übergangen !");
}

TEST(PlatformDialogs, TheInputBoxReturnsWhatWasTypedOnOk) {
    QtDialogs dialogs;
    QString caption, prompt, preset, ok, cancel;
    WhenShown<QInputDialog>([&](QInputDialog* d) {
        caption = d->windowTitle();
        prompt = d->labelText();
        preset = d->textValue();
        ok = d->okButtonText();
        cancel = d->cancelButtonText();
        d->setTextValue(QStringLiteral("neuer Wert"));
        d->accept();
    });
    EXPECT_EQ(dialogs.InputBox("Wert ändern", "Ändere den Wert,\r\naber sei vorsichtig.", "12.05.2024"),
              "neuer Wert");
    EXPECT_EQ(caption, "Wert ändern");
    EXPECT_EQ(prompt, "Ändere den Wert,\naber sei vorsichtig.");
    EXPECT_EQ(preset, "12.05.2024");
    EXPECT_EQ(ok, "OK");
    EXPECT_EQ(cancel, "Abbrechen");
}

TEST(PlatformDialogs, TheInputBoxGivesTheDefaultBackOnCancelWhateverWasTyped) {
    QtDialogs dialogs;
    WhenShown<QInputDialog>([](QInputDialog* d) {
        if (auto* edit = d->findChild<QLineEdit*>()) QTest::keyClicks(edit, "kWp");
        d->reject();
    });
    EXPECT_EQ(dialogs.InputBox("", "", ""), "");
    WhenShown<QInputDialog>([](QInputDialog* d) {
        d->setTextValue(QStringLiteral("anders"));
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_EQ(dialogs.InputBox("Wert ändern", "?", "Vorgabe"), "Vorgabe");
}
