#include "app/Form1U.h"
#include "app/platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QUuid>

using namespace ogx;

TEST(Splash, ShowsTheVersionAndRequestsTheStartOneSecondAfterShowing)
{
    TForm1 splash;
    EXPECT_EQ(TForm1::versionLabel(), QStringLiteral("ver. 1.0151"));
    EXPECT_EQ(splash.findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("Incarcare date"));
    EXPECT_EQ(splash.findChild<QLabel *>(QStringLiteral("Label3"))->text(), QStringLiteral("ver. 1.0151"));
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash.cursor().shape(), Qt::WaitCursor);

    int requests = 0;
    QObject::connect(&splash, &TForm1::startRequested, [&] { ++requests; });
    QElapsedTimer clock;
    clock.start();
    splash.show();
    while (requests == 0 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(requests, 1);
    EXPECT_GE(clock.elapsed(), 900);

    splash.setProgressMaximum(2);
    for (int i = 0; i < 4; ++i)
        splash.stepProgress();
    EXPECT_EQ(splash.findChild<QProgressBar *>()->value(), 2); // stops at its maximum
    splash.hideSplash();
    EXPECT_FALSE(splash.isVisible());
}

TEST(SingleInstance, ASecondCopyBringsTheFirstForward)
{
    const QString key = QStringLiteral("ogorix-test-") + QUuid::createUuid().toString(QUuid::Id128);
    SingleInstance first(key);
    EXPECT_FALSE(first.anotherCopyRuns());
    ASSERT_TRUE(first.listen());
    int raised = 0;
    QObject::connect(&first, &SingleInstance::activationRequested, [&] { ++raised; });

    SingleInstance second(key);
    EXPECT_TRUE(second.anotherCopyRuns());
    QElapsedTimer clock;
    clock.start();
    while (raised == 0 && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(raised, 1);
}
