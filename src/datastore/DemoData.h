#pragma once
// A realistic demonstration register (`ogorix-cli demo --contracts N [--seed S]`), for
// trying Ogorix and for benchmarks.

#include <QString>

namespace ogx {

class Database;
class Progress;

struct DemoSummary {
    int contracts = 0;
    int parcels = 0;
    int payments = 0; // rows of Plati2 (amounts due and payments)
    int logLines = 0;
};

// Appends `contracts` contracts to the tables of `db` (CreateTables must have run): lessors
// with valid CNP codes, lessees (companies with valid fiscal codes and some persons), 1 to 6
// parcels per contract in named tarlas, amounts due and payments over the last years, and
// one log line per contract. The same seed gives the same register. Identifiers continue
// from the INDEX counters, which are advanced past them. One transaction: all or nothing.
DemoSummary fillDemoRegister(Database &db, int contracts, quint32 seed = 1, Progress *progress = nullptr);

// A valid CNP for the birth date, sex ('M'/'F'), county code (1..52) and serial (1..999).
QString makeCnp(int year, int month, int day, char sex, int county, int serial);
// A valid fiscal code: `body` (1 to 9 digits) followed by its control digit.
QString makeCif(qint64 body);

} // namespace ogx
