#pragma once
// The notice shown before an old file is converted.
inline constexpr const char* kConversionNotice =
    "Zum einlesen alter Termifolio´s 16bit daten, müssen diese mit\r\n"
    "dem beigefügten Program KONVERTO bearbeitet werden.\r\n"
    "Für KONVERTO muß die alte Termifolio 16bit Version Installiert oder die Vbrun300.Dll vorhanden sein "
    "(Siehe Beschreibung).\r\n"
    "ACHTUNG: Datienamen + Verzeichnisse dürfen nicht mehr wie 8 Zeichen haben (16bit)!";
