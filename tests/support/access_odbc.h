#pragma once
// Microsoft's Access driver as the program meets it: while an AccessOdbc lives, a text naming
// the Access driver opens Underneath(dbq) through the SQLite ODBC driver, and the connection
// behaves as Jet does where a run depends on it. It calls itself "ACCESS"; refuses a literal
// holding '|', "..." strings, SQL Jet lacks (Coalesce, Case When, Cast, Limit, ||, !=, many rows
// in Values, Pragma, sqlite_master, window functions, If Exists, a second join outside
// parentheses, a second statement, ...) and statements over 65,000 characters. Convert gives
// text columns Jet's Text(n): compared without regard to case, cut to n characters without a
// word, sized in SQLColumns. Writes under a static cursor are counted. It rides on the shim of
// sqlserver_odbc.cpp.
#include <QString>
#include <map>

namespace tolvane::testing {

class AccessOdbc {
public:
    AccessOdbc();
    ~AccessOdbc();

    static QString Underneath(const QString& accessFile) { return accessFile + ".jet"; }
    // Makes the SQLite file at `path` an Access file of the stand-in: its tables move
    // underneath with every text column a Text(n) (n from `sizes` by column name, else
    // Jet's most, 255), and `path` gets an Access file's header.
    static void Convert(const QString& path, const std::map<QString, int>& sizes = {});
    // Insert, Update and Delete statements sent under a static cursor.
    static int StaticWrites();
};

// What the shim of the driver manager's functions asks of the stand-in (handles as void*).
namespace jet {
QString ConnectText(const QString& text); // the text handed on; empty: not the stand-in's
void Connected(void* dbc, bool open);     // opened, or disconnected
bool Owns(void* dbc);
void Allocated(void* dbc, void* stmt); // without dbc: freed
void CursorType(void* stmt, quintptr type);
bool Refused(void* stmt, const QString& text); // Jet refuses it; the reason is kept:
QString Refusal(void* stmt);                   // empty: none
} // namespace jet

} // namespace tolvane::testing
