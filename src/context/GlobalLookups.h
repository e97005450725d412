#pragma once

#include <QString>

class AppContext;

// Reads the database server's clock into context.dtServerDate: at start-up, and again
// before each piece of counter work that records or lists by date, so a counter left
// open past midnight works on the new day. Without a row the value stays as it was.
void LoadServerDate(AppContext& context);

// True when the signed-in user holds the right with this code ("1" to "8"). One fresh
// query per call, so a change saved in the user access window counts at the next check.
bool CheckUserRights(AppContext& context, const QString& code);

// The statement CheckUserRights sends for a user, and whether the rights text it answers
// (empty: no row) holds the right with this code.
QString userRightsText(const QString& userCode);
bool rightsHold(const QString& rights, const QString& code);
