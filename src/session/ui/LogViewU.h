#pragma once
// TLogView, "Istoric modificari date": the action log, oldest first.

#include <QDialog>

namespace ogx {

class Database;
class DataGrid;
class ResultSetModel;

class TLogView : public QDialog {
    Q_OBJECT
public:
    explicit TLogView(QWidget *parent = nullptr);

    // The Data directory's tables; set by the start-up once they are open.
    void setDatabase(Database *db) { m_db = db; }

    // Opens the log query, shows the window modally, closes the query again.
    int ShowLog();
    // The query alone (the window runs them around its modal run).
    void openQuery();
    void closeQuery();

    DataGrid *grid() const { return m_grid; }
    ResultSetModel *model() const { return m_model; }

private:
    Database *m_db = nullptr;
    DataGrid *m_grid;
    ResultSetModel *m_model;
};

} // namespace ogx
