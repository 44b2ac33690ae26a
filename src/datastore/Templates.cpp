#include "datastore/Templates.h"

#include "datastore/Helpers.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace ogx {
namespace {

enum class Folder { Program, Data };

struct Installed {
    Folder folder;
    const char16_t *file;
    const char16_t *name;
    const char16_t *type;
};

// In installation order. The database-engine libraries of the original install table are
// not ours to write (we ship our own storage engine) and the updater is handled by the
// start-up.
constexpr Installed kInstalled[] = {
    {Folder::Program, u"ico1.ico", u"ICO", u"POZA"},
    {Folder::Data, u"Cen1.xls", u"Cen1", u"Model"},
    {Folder::Data, u"TabNom.xls", u"TabNom", u"Model"},
    {Folder::Data, u"Expirate.xls", u"Expirate", u"Model"},
    {Folder::Data, u"Expirate1.xls", u"Expirate", u"Model"},
    {Folder::Data, u"Expirate2.xls", u"Expirate", u"Model"},
    {Folder::Data, u"Filtrare.xls", u"Filtrare", u"Model"},
    {Folder::Data, u"Filtrare1.xls", u"Filtrare1", u"Model"},
    {Folder::Data, u"Filtrare2.xls", u"Filtrare2", u"Model"},
    {Folder::Data, u"Lista.xls", u"Lista", u"Model"},
    {Folder::Data, u"ModCon3.rtf", u"Contract", u"Model"},
    {Folder::Data, u"ModCon4.rtf", u"Contract2", u"Model"},
    {Folder::Data, u"DispPlata.rtf", u"DispPlata", u"Model"},
    {Folder::Data, u"COf.rtf", u"COf", u"Model"},
    {Folder::Data, u"BordPLC.xls", u"BordPLC", u"Model"},
    {Folder::Data, u"Aviz.xls", u"Aviz", u"Model"},
};

} // namespace

QString resourcePath(const QString &name, const QString &type)
{
    return QStringLiteral(":/res/") + type + u'/' + name;
}

bool ExtractResourceFile(const QString &name, const QString &type, const QString &target)
{
    QFile resource(resourcePath(name, type));
    if (!resource.open(QIODevice::ReadOnly))
        return false;
    if (IsFileInUse(target))
        return false;
    if (QFileInfo::exists(target) && !QFile::remove(target))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = resource.readAll();
    if (out.write(bytes) != bytes.size())
        return false;
    return out.commit();
}

void InstallTemplates(const Workspace &ws)
{
    for (const Installed &i : kInstalled) {
        const QString dir = i.folder == Folder::Program ? ws.programDir : ws.dataDir;
        const QString target = dir + u'/' + QString::fromUtf16(i.file);
        if (!QFileInfo::exists(target))
            ExtractResourceFile(QString::fromUtf16(i.name), QString::fromUtf16(i.type), target);
    }
}

} // namespace ogx
