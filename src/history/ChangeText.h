#pragma once

#include <QString>

// One row of the changes log told as a sentence a supervisor reads at a glance:
// "CLERK01 revoked meal 376 of 10142 at 14:02". Qt Core only.
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

    static QString describe(const Change& change);
};
