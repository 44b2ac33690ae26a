#pragma once
// Helpers of the document tests: LibreOffice as the outside reader of produced RTF files.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace ogx::test {

// Converts the RTF files to UTF-8 text with LibreOffice (one run for all of them) and
// returns each file's text, split into trimmed lines. A failed conversion fails the test.
inline QList<QStringList> rtfToTextLines(const QStringList &files, const QString &workDir)
{
    const QString outDir = QDir(workDir).filePath(QStringLiteral("txt"));
    QDir().mkpath(outDir);
    const auto res = runLibreOffice(QStringList{QStringLiteral("--convert-to"),
                                                QStringLiteral("txt:Text (encoded):UTF8"),
                                                QStringLiteral("--outdir"), outDir} + files,
                                    workDir);
    EXPECT_EQ(res.exitCode, 0) << res.err.constData();
    QList<QStringList> all;
    for (const QString &f : files) {
        const QString txt = QDir(outDir).filePath(QFileInfo(f).completeBaseName() + QStringLiteral(".txt"));
        EXPECT_TRUE(QFileInfo::exists(txt)) << "LibreOffice did not convert " << f.toStdString() << ": "
                                            << res.err.constData();
        QString text = QString::fromUtf8(QFileInfo::exists(txt) ? readFile(txt) : QByteArray());
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        // LibreOffice writes a run of blanks with a six-per-em space before each blank.
        text.remove(QChar(0x2006));
        QStringList lines;
        for (const QString &l : text.split(u'\n'))
            lines.append(l.trimmed());
        all.append(lines);
    }
    return all;
}

} // namespace ogx::test
