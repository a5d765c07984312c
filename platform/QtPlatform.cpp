#include "QtPlatform.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tmf::qt {

Platform QtPlatform::platform() {
    Platform p;
    p.dialogs = &dialogs_;
    p.clock = &clock_;
    p.sound = &sound_;
    p.shell = &shell_;
    p.processes = &processes_;
    p.autostart = &autostart_;
    p.desktop = &desktop_;
    return p;
}

bool SetupGermanUi(QApplication& app) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(8);
    QApplication::setFont(font);
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace tmf::qt
