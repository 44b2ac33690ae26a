#include "datastore/SqlCsv.h"

#include "datastore/Database.h"
#include "datastore/Error.h"

#include <QTextStream>

#include <sqlite3.h>

namespace ogx {

QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString q = text;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

int runSqlCsv(Database &db, const QString &sql, bool allowWrite, QTextStream &out)
{
    if (!allowWrite && !db.isReadOnly(sql))
        throw Error(QStringLiteral("The statement would change data; it runs only with --write"));
    const ResultSet r = db.query(sql);
    if (r.columnCount() == 0)
        return sqlite3_changes(db.handle());
    QStringList header;
    for (const QString &c : r.columns())
        header << csvField(c);
    out << header.join(u',') << '\n';
    for (int i = 0; i < r.rowCount(); ++i) {
        QStringList fields;
        for (int c = 0; c < r.columnCount(); ++c)
            fields << csvField(r.text(i, c));
        out << fields.join(u',') << '\n';
    }
    out.flush();
    return r.rowCount();
}

} // namespace ogx
