#pragma once
// A fresh workspace with a Data directory, a fixed clock and helpers for the storage tests.

#include "datastore/Clock.h"
#include "datastore/Database.h"
#include "datastore/Workspace.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace ogx::test {

class FixedClock final : public Clock {
public:
    QDate day{2025, 3, 14};
    QTime time{9, 5, 7};
    QDate today() const override { return day; }
    QTime now() const override { return time; }
};

class StorageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ws.programDir = m_dir.path();
        ws.dataDir = ws.localDataDir = m_dir.path() + QStringLiteral("/Data");
        ws.tempDir = m_dir.path() + QStringLiteral("/Temp");
        ws.machineDir = m_dir.path() + QStringLiteral("/machine");
        ws.operatorText = QStringLiteral("STATIA-CONTABILITATE - ionescu");
        QDir().mkpath(ws.dataDir);
        QDir().mkpath(ws.tempDir);
        QDir().mkpath(ws.machineDir);
    }
    QString dataFile(const QString &name) const { return ws.dataDir + u'/' + name; }

    QTemporaryDir m_dir;
    Workspace ws;
    FixedClock clock;
};

} // namespace ogx::test
