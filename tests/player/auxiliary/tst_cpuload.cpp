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

    // The running average: ring order, half to even, clamped size, reset by a new size.
    void mittelwert()
    {
        clsCPULoad last;
        last.setStackSize(2);
        QCOMPARE(last.AddLoadSample(10), 10);
        QCOMPARE(last.AddLoadSample(20), 15);
        QCOMPARE(last.AddLoadSample(30), 25);
        last.setStackSize(2);
        QCOMPARE(last.AddLoadSample(12), 12);
        QCOMPARE(last.AddLoadSample(13), 12); // 12.5
        last.setStackSize(2);
        last.AddLoadSample(13);
        QCOMPARE(last.AddLoadSample(14), 14); // 13.5
        last.setStackSize(0);
        QCOMPARE(last.StackSize(), 1);
        QCOMPARE(last.AddLoadSample(40), 40);
        QCOMPARE(last.AddLoadSample(60), 60);
    }

    // All processors count: the aggregate line, not one core's.
    void alleKerne()
    {
        clsCPULoad last;
        last.setStackSize(1);
        last.messen(QStringLiteral("cpu 0 0 0 0 0 0 0 0 0 0\ncpu0 0 0 0 0 0 0 0 0 0 0\n"));
        QCOMPARE(last.messen(QStringLiteral("cpu 300 0 0 100 0 0 0 0 0 0\ncpu0 0 0 0 100 0 0 0 0 0 0\n")), 75);
    }

    void speicher_data()
    {
        QTest::addColumn<QString>("meminfo");
        QTest::addColumn<int>("prozent");
        QTest::newRow("normal") << "MemTotal:       16000000 kB\nMemFree:  1000 kB\nMemAvailable:    4000000 kB\n" << 75;
        QTest::newRow("ohne MemAvailable") << "MemTotal: 1000 kB\nMemFree: 10 kB\n" << 0;
        QTest::newRow("leer") << "" << 0;
        QTest::newRow("unsinn") << "MemTotal: abc kB\nMemAvailable: 5 kB\n" << 0;
    }
    void speicher()
    {
        QFETCH(QString, meminfo);
        QFETCH(int, prozent);
        QCOMPARE(klang::player::speicherLast(meminfo), prozent);
    }

    // The real /proc/stat gives a value between 0 and 100.
    void echt()
    {
        clsCPULoad last;
        last.setStackSize(10);
        last.messen();
        const int wert = last.messen();
        QVERIFY(wert >= 0 && wert <= 100);
        const int ram = klang::player::speicherLast();
        QVERIFY(ram > 0 && ram <= 100);
    }
};

QTEST_GUILESS_MAIN(CpuLoadTest)
#include "tst_cpuload.moc"
