// The screenshot tool renders every session window into a PNG named after it.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

TEST(Screenshots, EveryWindowIsRenderedAtItsSize)
{
    QTemporaryDir out;
    const ogx::test::ProcessResult r =
        ogx::test::runProcess(ogx::test::binDir() + QStringLiteral("/ogx-screenshots"), {out.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    struct Shot {
        const char *name;
        QSize size; // empty: any size
    };
    const Shot shots[] = {
        {"TErori_warning_1button", QSize(336, 171)},
        {"TErori_error_2buttons", QSize(336, 171)},
        {"TErori_information_3buttons", QSize(336, 171)},
        {"TErori_confirmation_4buttons", QSize(336, 171)},
        {"TContor", QSize(323, 65)},
        {"TForm3_before_login", {}},
        {"TForm3_after_login", {}},
        {"TForm4", {}},
        {"TForm5", {}},
        {"TEditPassF", {}},
        {"TLogView", {}},
    };
    for (const Shot &s : shots) {
        const QImage img(QDir(out.path()).filePath(QLatin1String(s.name) + QStringLiteral(".png")));
        ASSERT_FALSE(img.isNull()) << s.name;
        if (!s.size.isEmpty()) {
            EXPECT_EQ(img.size(), s.size) << s.name;
        } else {
            EXPECT_GT(img.width() * img.height(), 100 * 50) << s.name;
        }
    }
    const QImage main(QDir(out.path()).filePath(QStringLiteral("TForm3_after_login.png")));
    EXPECT_EQ(main.height(), 78);
}
