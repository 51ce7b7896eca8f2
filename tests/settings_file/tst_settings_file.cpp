// The settings file on its own: what it keeps, and every way a file can fail
// to be one, each refused whole with the reason.
#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "settings_file.h"

#ifdef Q_OS_UNIX
#include "unblocking_fifo.h"
#endif

using vantrel::PanelSettings;

Q_DECLARE_METATYPE(vantrel::SettingsSource)

namespace {

// Every member away from the window's initial value, a non-ASCII text among them.
PanelSettings unusualSettings()
{
    PanelSettings p;
    vantrel::Settings& s = p.settings;
    s.foutText = "145.2MHz";
    s.frText = " 25";
    s.rdividerText = "2";
    s.resolutionText = "";
    s.refDbl = s.refDiv2 = s.feedback = s.pdPol = s.lowSpur = s.intN = s.trackDivider = true;
    s.prescale8 = s.enable = s.mtld = false;
    s.mux = vantrel::MuxButton::MuxR;
    s.outDivCont = 6;
    s.chrgPump = 0;
    s.pwr = 1;
    p.forceDText = "12.5";
    p.portText = "Prüfstand 3";
    return p;
}

// Each member as text, read off the struct itself, so that a member the
// file forgot both ways still shows.
QStringList members(const PanelSettings& p)
{
    const vantrel::Settings& s = p.settings;
    QStringList list;
    for (const std::string* text :
         {&s.foutText, &s.frText, &s.rdividerText, &s.resolutionText, &p.forceDText, &p.portText})
        list << QString::fromStdString(*text);
    for (const bool check : {s.refDbl, s.refDiv2, s.feedback, s.prescale8, s.pdPol, s.lowSpur, s.enable, s.mtld, s.intN,
                             s.trackDivider})
        list << QString::number(int(check));
    for (const int position : {int(s.mux), s.outDivCont, s.chrgPump, s.pwr})
        list << QString::number(position);
    return list;
}

// The JSON value written as `json`, or nothing for "remove".
std::optional<QJsonValue> valueOf(const QString& json)
{
    if (json == QLatin1String("remove"))
        return std::nullopt;
    return QJsonDocument::fromJson(('[' + json + ']').toUtf8()).array().at(0);
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void keepsEveryMember();
    void refusesAFaultyFile_data();
    void refusesAFaultyFile();
    void filesThatCannotBeRead();
    void whatIsNoSettingsFile_data();
    void whatIsNoSettingsFile();
    void aFailedSaveSaysWhy();
};

void TestSettingsFile::keepsEveryMember()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.json"));
    const PanelSettings saved = unusualSettings();
    QCOMPARE(vantrel::writeSettingsFile(path, saved), QString());
    const vantrel::SettingsFileReading reading = vantrel::readSettingsFile(path);
    QVERIFY2(reading.settings, qPrintable(reading.error));
    QCOMPARE(members(*reading.settings), members(saved));
    // No button selected reads back as none selected.
    PanelSettings none;
    none.settings.mux = vantrel::MuxButton::NoneSelected;
    QCOMPARE(members(*vantrel::parseSettingsFile(vantrel::settingsFileText(none)).settings), members(none));
}

void TestSettingsFile::refusesAFaultyFile_data()
{
    // A valid file with one member changed: the member's path ("" for the
    // whole document), its new JSON value or "remove", and the reason given.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("json");
    QTest::addColumn<QString>("error");
    QTest::addRow("not JSON") << "" << "{\"format\": " << "it is not JSON (unterminated object at byte 11)";
    QTest::addRow("a JSON array") << "" << "[1, 2]" << "it is not a settings file (no JSON object)";
    QTest::addRow("another program's format")
        << "format" << "\"other-settings\"" << "it is not a settings file (\"format\" is not \"vantrel-settings\")";
    QTest::addRow("no format") << "format" << "remove"
                               << "it is not a settings file (\"format\" is not \"vantrel-settings\")";
    QTest::addRow("a later version") << "version" << "2"
                                     << "it is settings file version 2, and this program reads version 1";
    QTest::addRow("no version") << "version" << "remove" << "\"version\" is missing";
    QTest::addRow("the version as text") << "version" << "\"1\"" << "\"version\" is not a number";
    QTest::addRow("no texts") << "texts" << "remove" << "\"texts\" is missing";
    QTest::addRow("checks not an object") << "checks" << "[]" << "\"checks\" is not an object";
    QTest::addRow("a text missing") << "texts.ResolutionText" << "remove" << "\"texts.ResolutionText\" is missing";
    QTest::addRow("a number for a text") << "texts.FrText" << "10" << "\"texts.FrText\" is not a text";
    QTest::addRow("a text longer than a box takes")
        << "texts.ForceD" << '"' + QString(32768, QLatin1Char('1')) + '"'
        << "\"texts.ForceD\" is longer than 32767 characters";
    QTest::addRow("a check box as 1") << "checks.IntN" << "1" << "\"checks.IntN\" is not true or false";
    QTest::addRow("no tracking") << "checks.TrackDivider" << "remove" << "\"checks.TrackDivider\" is missing";
    QTest::addRow("no MUXOUT") << "mux" << "remove" << "\"mux\" is missing";
    QTest::addRow("a MUXOUT code instead of a button")
        << "mux" << "6" << "\"mux\" is not one of none, MuxNone, MuxR, MuxN, MuxL";
    QTest::addRow("a MUXOUT button in lower case")
        << "mux" << "\"muxl\"" << "\"mux\" is not one of none, MuxNone, MuxR, MuxN, MuxL";
    QTest::addRow("charge pump above 15")
        << "scrolls.ChrgPump" << "16" << "\"scrolls.ChrgPump\" is 16, outside 0 to 15";
    QTest::addRow("divider 128") << "scrolls.OutDivCont" << "7" << "\"scrolls.OutDivCont\" is 7, outside 0 to 6";
    QTest::addRow("power below 0") << "scrolls.Pwr" << "-1" << "\"scrolls.Pwr\" is -1, outside 0 to 3";
    QTest::addRow("power between two steps") << "scrolls.Pwr" << "2.5" << "\"scrolls.Pwr\" is 2.5, not a whole number";
    QTest::addRow("a position as text") << "scrolls.ChrgPump" << "\"7\"" << "\"scrolls.ChrgPump\" is not a number";
    QTest::addRow("a control the file does not keep")
        << "texts.Udata" << "\"hello\"" << "unknown member \"texts.Udata\"";
    QTest::addRow("a misspelt check box") << "checks.RefDBL" << "true" << "unknown member \"checks.RefDBL\"";
    QTest::addRow("an unknown group") << "colours" << "{}" << "unknown member \"colours\"";
}

void TestSettingsFile::refusesAFaultyFile()
{
    QFETCH(QString, path);
    QFETCH(QString, json);
    QFETCH(QString, error);
    QByteArray text = json.toUtf8();
    if (!path.isEmpty()) {
        QJsonObject top = QJsonDocument::fromJson(vantrel::settingsFileText(unusualSettings())).object();
        const auto change = [&json](QJsonObject& object, const QString& key) {
            if (const std::optional<QJsonValue> value = valueOf(json))
                object.insert(key, *value);
            else
                object.remove(key);
        };
        const QStringList keys = path.split(QLatin1Char('.'));
        if (keys.size() == 1) {
            change(top, keys[0]);
        } else {
            QJsonObject group = top.value(keys[0]).toObject();
            change(group, keys[1]);
            top.insert(keys[0], group);
        }
        text = QJsonDocument(top).toJson();
    }
    const vantrel::SettingsFileReading reading = vantrel::parseSettingsFile(text);
    QVERIFY(!reading.settings);
    QCOMPARE(reading.error, error);
}

void TestSettingsFile::filesThatCannotBeRead()
{
    QTemporaryDir dir;
    const vantrel::SettingsFileReading missing = vantrel::readSettingsFile(dir.filePath(QStringLiteral("none.json")));
    QVERIFY(!missing.settings);
    QVERIFY2(missing.error.startsWith(QStringLiteral("it cannot be read (")), qPrintable(missing.error));

    QFile large(dir.filePath(QStringLiteral("large.json")));
    QVERIFY(large.open(QIODevice::WriteOnly));
    // Valid JSON up to its size, so only the size can refuse it.
    QByteArray padding = vantrel::settingsFileText(unusualSettings());
    padding.insert(1, QByteArray(vantrel::kMaxSettingsFileBytes, ' '));
    large.write(padding);
    large.close();
    const vantrel::SettingsFileReading tooLarge = vantrel::readSettingsFile(large.fileName());
    QVERIFY(!tooLarge.settings);
    QCOMPARE(tooLarge.error, QStringLiteral("it is larger than 1048576 bytes, too large for a settings file"));
}

void TestSettingsFile::whatIsNoSettingsFile_data()
{
    // The window takes regular files only; a tool may read a pipe.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<vantrel::SettingsSource>("source");
    QTest::addColumn<QString>("error");
    const auto regular = vantrel::SettingsSource::RegularFileOnly;
    QTest::addRow("an empty file") << "empty" << regular << "the file is empty";
    QTest::addRow("an empty file, for a tool") << "empty" << vantrel::SettingsSource::AnyFile << "the file is empty";
    QTest::addRow("blank lines only") << "blank" << regular << "the file is empty";
    QTest::addRow("a folder") << "folder" << regular << "it is a folder, not a file";
#ifdef Q_OS_UNIX
    // Both used to hold the window: the FIFO until a writer came, /dev/zero
    // until a megabyte of zeros had been read and refused as too large.
    QTest::addRow("a FIFO") << "fifo" << regular << "it is a pipe, not a regular file";
    QTest::addRow("a device") << "/dev/zero" << regular << "it is a device, not a regular file";
#endif
}

void TestSettingsFile::whatIsNoSettingsFile()
{
    QFETCH(QString, kind);
    QFETCH(vantrel::SettingsSource, source);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QString path = dir.filePath(kind);
    if (kind == QLatin1String("empty") || kind == QLatin1String("blank")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kind == QLatin1String("blank") ? " \r\n\n" : "");
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(kind));
    } else if (kind.startsWith(QLatin1Char('/'))) {
        path = kind;
    }
#ifdef Q_OS_UNIX
    std::optional<UnblockingFifo> fifo;
    if (kind == QLatin1String("fifo")) {
        fifo.emplace(path);
        QVERIFY(fifo->isMade());
    }
#endif
    const vantrel::SettingsFileReading reading = vantrel::readSettingsFile(path, source);
    QVERIFY(!reading.settings);
    QCOMPARE(reading.error, error);
#ifdef Q_OS_UNIX
    if (fifo)
        QVERIFY2(!fifo->wasNeeded(), "the read waited for a writer");
#endif
}

void TestSettingsFile::aFailedSaveSaysWhy()
{
    QTemporaryDir dir;
    const QString error =
        vantrel::writeSettingsFile(dir.filePath(QStringLiteral("no-such-folder/bench.json")), unusualSettings());
    QVERIFY2(error.startsWith(QStringLiteral("it cannot be written (")), qPrintable(error));
    QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
