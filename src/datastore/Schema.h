#pragma once
// The layouts of the four tables and their creation.

#include "dbf/Dbf.h"

#include <QString>

#include <vector>

namespace ogx {

class Database;

// Columns, in order, of Contract, Parcele, Plati2 and Log (names, types, widths, decimals).
const std::vector<dbf::Field> &contractLayout();
const std::vector<dbf::Field> &parceleLayout();
const std::vector<dbf::Field> &plati2Layout();
const std::vector<dbf::Field> &logLayout();
// By table name (case ignored); throws ogx::Error for another name.
const std::vector<dbf::Field> &tableLayout(const QString &table);

// Creates, in the order Log, Contract, Parcele, Plati2, each table whose file is missing
// from the Data directory, and attaches it to the Database. An existing file is never
// touched, whatever its layout.
void CreateTables(Database &db);

} // namespace ogx
