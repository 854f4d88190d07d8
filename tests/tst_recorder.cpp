#include "CFakePlatform.h"
#include "TestRows.h"
#include "document/CDialScript.h"

#include <QtTest>

using namespace std::string_literals;
using Lines = std::vector<std::string>;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(Lines)

namespace {

Lines StoredLines(const CDialScript& script)
{
    Lines lines;
    for (int i = 0; i < script.GetLineCount(); ++i)
        lines.push_back(script.StoredLine(i));
    return lines;
}

} // namespace

class TestRecorder : public QObject {
    Q_OBJECT

private slots:
    // Each key is "<delay before it in ms>:<key>"; the recording starts at a
    // clock reading of start and is ended by the end marker.
    void recording_data()
    {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<std::string>("digits");
        const Lines waited2{"dial 1\r\n", "wait 2\r\n", "dial 2\r\n"};
        const auto gap = [](const char* seconds) {
            return Lines{"dial 1\r\n", "wait "s + seconds + "\r\n", "dial 2\r\n"};
        };
        Row("one group is kept", 1000u, QStringList{"0:1", "500:2", "2000:3"}, Lines{"dial 123\r\n"}, "123"s);
        Row("5 s, 3 s", 0u, QStringList{"0:1", "5000:2", "3000:3"},
            Lines{"dial 1\r\n", "wait 5\r\n", "dial 2\r\n", "wait 3\r\n", "dial 3\r\n"}, "3"s);
        Row("exactly 2000 ms", 0u, QStringList{"0:1", "2000:2"}, Lines{"dial 12\r\n"}, "12"s);
        Row("2001 ms", 0u, QStringList{"0:1", "2001:2"}, waited2, "2"s);
        Row("2999 ms", 0u, QStringList{"0:*", "2999:#"}, Lines{"dial *\r\n", "wait 2\r\n", "dial #\r\n"}, "#"s);
        Row("3000 ms", 0u, QStringList{"0:1", "3000:2"}, gap("3"), "2"s);
        Row("65 s", 0u, QStringList{"0:1", "65000:2"}, gap("65"), "2"s);
        Row("clock wraps", 0xFFFFF000u, QStringList{"0:1", "4000:2"}, gap("4"), "2"s);
        Row("wrap, exactly 2000 ms", 0xFFFFFC18u, QStringList{"0:1", "2000:2"}, Lines{"dial 12\r\n"}, "12"s);
        Row("wrap, 2001 ms", 0xFFFFFC18u, QStringList{"0:1", "2001:2"}, waited2, "2"s);
        Row("digits since the wait", 0u, QStringList{"0:1", "5000:2", "100:3"},
            Lines{"dial 1\r\n", "wait 5\r\n", "dial 23\r\n"}, "23"s);
        Row("thirteen keys", 0u,
            QStringList{"0:1", "9:2", "9:3", "9:4", "9:5", "9:6", "9:7", "9:8", "9:9", "9:0", "9:*", "9:#", "9:1"},
            Lines{"dial 1234567890*#1\r\n"}, "1234567890*#1"s);
        Row("time before the first key is not recorded", 0u, QStringList{"9000:1", "100:2"}, Lines{"dial 12\r\n"},
            "12"s);
        Row("no key", 0u, QStringList{}, Lines{}, ""s);
    }

    void recording()
    {
        QFETCH(quint32, start);
        QFETCH(QStringList, keys);

        CFakePlatform platform;
        platform.SetTime(start);
        CDialScript script(platform);
        script.NewRecording();
        for (const QString& key : keys) {
            const QStringList parts = key.split(':');
            platform.Advance(parts[0].toUInt());
            script.RecordKey(parts[1].at(0).toLatin1());
            QCOMPARE(script.GetMode(), ModeRecording);
        }
        platform.Advance(7000); // the time before STOP is not recorded either
        QTEST(script.GetDigits(), "digits");
        script.RecordKey(CDialScript::EndMarker);
        QTEST(StoredLines(script), "lines");
        QCOMPARE(script.GetName(), "noname"s);
    }

    void lineLimitEndsRecording()
    {
        CFakePlatform platform;
        CDialScript script(platform);
        script.NewRecording();
        script.RecordKey('1');
        for (int gap = 1; gap < CDialScript::LineLimit / 2; ++gap) {
            platform.Advance(2001);
            script.RecordKey('2');
        }
        QCOMPARE(script.GetLineCount(), CDialScript::LineLimit - 2);
        QCOMPARE(script.GetMode(), ModeRecording);

        platform.Advance(3000);
        QVERIFY(!script.RecordKey('3')); // the 8192nd gap fills the recording
        QCOMPARE(script.GetLineCount(), CDialScript::LineLimit);
        QCOMPARE(script.StoredLine(CDialScript::LineLimit - 1), "wait 3\r\n"s);
        QCOMPARE(script.StoredLine(CDialScript::LineLimit - 2), "dial 2\r\n"s);
        QCOMPARE(script.GetName(), "noname"s);
    }
};

QTEST_GUILESS_MAIN(TestRecorder)
#include "tst_recorder.moc"
