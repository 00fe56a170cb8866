#pragma once

#include <QString>
#include <QtGlobal>

#include "store/Records.h"

// What the windows share for the whole run; owned by the main window and
// handed to each window by reference. Starts blank: no database open.
struct Session {
    static constexpr qint16 BrowseMode = 1;
    static constexpr qint16 AddMode = 2;
    static constexpr qint16 EditMode = 3;
    static constexpr qint16 ListingReport = 1;
    static constexpr qint16 HistoryReport = 2;

    QString DatabaseName;  // without folder and extension; blank: none open
    qint32 TotalRecords = 0;
    qint32 DataHandle = 0;
    qint32 HistoryHandle = 0;
    qint32 LastResult = 0;
    qint16 DisplayMode = 0;  // 0 until the record window is first opened
    qint16 ReportKind = 0;
    bool ExportFromMenu = false;
    bool FoundRecordPending = false;
    QString PickDate;  // mm-dd-yyyy of the latest pick
    QString PickTime;  // hh:mm:ss of the latest pick
    DataRecord CurrentRecord;
    DataRecord PickRecord;
    HistoryRecord HistoryEntry;
    FieldDefinition CurrentFieldDefinition;
    int SearchKeyNumber = 0;

    bool hasDatabase() const { return !DatabaseName.trimmed().isEmpty(); }
    // The record window holds a new or changed record not yet saved.
    bool isTyping() const { return DisplayMode == AddMode || DisplayMode == EditMode; }
};
