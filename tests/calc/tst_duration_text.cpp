// The time left of a sweep as a person reads it.
#include <QtTest>

#include "duration_text.h"

class TestDurationText : public QObject {
    Q_OBJECT
private slots:
    void text_data();
    void text();
};

void TestDurationText::text_data()
{
    QTest::addColumn<long long>("seconds");
    QTest::addColumn<QString>("text");
    QTest::addRow("nothing left") << 0LL << "0 s";
    QTest::addRow("a negative estimate") << -3LL << "0 s";
    QTest::addRow("under a minute") << 59LL << "59 s";
    QTest::addRow("a whole minute") << 60LL << "1 min";
    QTest::addRow("minutes and seconds") << 125LL << "2 min 5 s";
    QTest::addRow("an hour and seconds, no minutes") << 3605LL << "1 h 5 s";
    QTest::addRow("a long loop") << 90061LL << "25 h 1 min 1 s";
}

void TestDurationText::text()
{
    QFETCH(long long, seconds);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(vantrel::durationText(seconds)), text);
}

QTEST_APPLESS_MAIN(TestDurationText)
#include "tst_duration_text.moc"
