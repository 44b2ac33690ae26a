#pragma once
// Scripted prompter, recorded progress and small file helpers for the backup tests.

#include "TestSupport.h"
#include "datastore/Prompter.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <zlib.h>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace ogx::test {

struct Shown {
    QString title, text;
    int kind = -1, buttons = -1;
};

// Answers questions from a script; every message is recorded. A question that the script
// does not answer fails the test.
class ScriptedPrompter final : public Prompter {
public:
    QList<int> answers;
    QList<Shown> shown;

    int Mesaj(const QString &title, const QString &text, int kind, int buttons) override
    {
        shown.append({title, text, kind, buttons});
        if (buttons == ButtonOk)
            return ResultOk;
        if (answers.isEmpty()) {
            ADD_FAILURE() << "unexpected question: " << title.toStdString() << " / " << text.toStdString();
            return ResultNo;
        }
        return answers.takeFirst();
    }
    void ShowProblemHint(const QString &text, QWidget *) override
    {
        ADD_FAILURE() << "unexpected hint " << text.toStdString();
    }
    QStringList titles() const
    {
        QStringList t;
        for (const Shown &s : shown)
            t << s.title;
        return t;
    }
};

class RecordingProgress final : public Progress {
public:
    QStringList captions;
    int open = 0, steps = 0;
    void ContorShow(const QString &caption, int) override
    {
        captions << caption;
        ++open;
    }
    void ContorStep() override { ++steps; }
    void ContorHide() override { --open; }
};

inline QByteArray le32(qint32 v)
{
    char b[4];
    qToLittleEndian<qint32>(v, b);
    return QByteArray(b, 4);
}

inline QByteArray zlibStream(const QByteArray &data)
{
    uLongf length = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(length), Qt::Uninitialized);
    EXPECT_EQ(compress2(reinterpret_cast<Bytef *>(out.data()), &length,
                        reinterpret_cast<const Bytef *>(data.constData()), uLong(data.size()), 9),
              Z_OK);
    out.resize(qsizetype(length));
    return out;
}

inline QByteArray member(const QByteArray &name, const QByteArray &data)
{
    return le32(qint32(name.size())) + name + le32(qint32(data.size())) + zlibStream(data);
}

// Bytes that deflate cannot shrink (so a damaged byte lands in real data).
inline QByteArray noise(int size, quint32 seed)
{
    QByteArray out(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i) {
        seed = seed * 1664525u + 1013904223u;
        out[i] = char(seed >> 24);
    }
    return out;
}

// A dBase-like table: a 32-byte header with the production-index flag set, then records.
inline QByteArray table(const QByteArray &records)
{
    QByteArray header(32, '\0');
    header[0] = 0x03;
    header[28] = 1;
    header[29] = char(0xC8);
    return header + records + '\x1a';
}

// Every file under `root` (relative path -> content); directories end in "/".
inline QMap<QString, QByteArray> tree(const QString &root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const QDir base(root);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo fi(path);
        const QString rel = base.relativeFilePath(path);
        if (fi.isSymLink())
            out.insert(rel + QStringLiteral(" -> ") + fi.symLinkTarget(), {});
        else if (fi.isDir())
            out.insert(rel + u'/', {});
        else
            out.insert(rel, readFile(path));
    }
    return out;
}

} // namespace ogx::test
