#pragma once

#include <QMap>
#include <QString>

// One row of the changes log told as a sentence a supervisor reads at a glance, what
// changed from what to what: "ADMIN changed the cost of L01 Lunch Plate from 85.00 to
// 90.00", "CLERK01 revoked L01 Lunch Plate given to 100293 Reyes, Ana at 12:04".
// Rows written before the log recorded old values or names read as far as they go.
// Qt Core only.
class ChangeText
{
public:
    struct Change
    {
        QString changedAt; // general date text, as the server sends it
        QString user;
        QString table;
        QString action;
        QString key;
        QString details;
    };
    // The rights' descriptions by code ("5" -> "User Access"), for the rights rows.
    using RightNames = QMap<QString, QString>;

    // What a batch of changes made in one go did, as its own line: "Imported staff.csv: 303
    // added, 5 deactivated", "Bulk tagging: Staff Meal for 331 employees".
    struct Batch
    {
        QString kind; // IMPORT or BULKTAG
        QString title;
        int added = 0;
        int changed = 0;
        int deactivated = 0;
    };

    static QString describe(const Change& change, const RightNames& rights = {});
    static QString summary(const Batch& batch);
};
