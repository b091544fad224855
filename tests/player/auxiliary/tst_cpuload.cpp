// The processor-load monitor: stack size and averaging over /proc/stat readings.

#include "player/auxiliary/clsCPULoad.h"

#include <QtTest>

using klang::player::clsCPULoad;

class CpuLoadTest : public QObject
{
    Q_OBJECT
private slots:
    // Setting the stack size resizes the samples and resets the count.
    void stackSize()
    {
        clsCPULoad last;
        last.messen(QStringLiteral("cpu 100 0 100 800 0 0 0 0 0 0"));
        last.messen(QStringLiteral("cpu 150 0 150 900 0 0 0 0 0 0"));
        QCOMPARE(last.sampleCount(), 1);
        last.setStackSize(10);
        QCOMPARE(last.StackSize(), 10);
        QCOMPARE(last.sampleCount(), 0);
    }

    // The load is the busy share between two readings, averaged over the samples.
    void messen()
    {
        clsCPULoad last;
        last.setStackSize(2);
        QCOMPARE(last.messen(QStringLiteral("cpu 100 0 100 800 0 0 0 0 0 0")), 0);
        // 100 busy of 200: 50 %
        QCOMPARE(last.messen(QStringLiteral("cpu 150 0 150 900 0 0 0 0 0 0")), 50);
        // 0 busy of 100: average of 50 and 0
        QCOMPARE(last.messen(QStringLiteral("cpu 150 0 150 1000 0 0 0 0 0 0")), 25);
        // the oldest sample drops out: 0 and 100
        QCOMPARE(last.messen(QStringLiteral("cpu 250 0 150 1000 0 0 0 0 0 0")), 50);
        // broken input is no reading
        QCOMPARE(last.messen(QStringLiteral("garbage")), 0);
    }

    // The real /proc/stat gives a value between 0 and 100.
    void echt()
    {
        clsCPULoad last;
        last.setStackSize(10);
        last.messen();
        const int wert = last.messen();
        QVERIFY(wert >= 0 && wert <= 100);
    }
};

QTEST_GUILESS_MAIN(CpuLoadTest)
#include "tst_cpuload.moc"
