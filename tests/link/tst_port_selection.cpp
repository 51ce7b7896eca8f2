// From the COM box's text to the port to open, on both naming schemes.
#include <QtTest>

#include "port_selection.h"

using vantrel::ListedPort;
using vantrel::PortNaming;

Q_DECLARE_METATYPE(PortNaming)

class TestPortSelection : public QObject {
    Q_OBJECT
private slots:
    void choice_data();
    void choice();
    void aNameSaysWhatToType_data();
    void aNameSaysWhatToType();
    void toolTipListsPortsByNumber();
};

namespace {

const QList<ListedPort> kPorts = {
    {"ttyS0", "/dev/ttyS0"}, {"ttyUSB0", "/dev/ttyUSB0"}, {"ttyUSB1", "/dev/ttyUSB1"},
    {"ttyUSB2", "/dev/ttyUSB2"},
};

} // namespace

void TestPortSelection::choice_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<PortNaming>("naming");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QString>("device"); // empty: an error is expected instead

    const PortNaming com = PortNaming::ComNumbers;
    const PortNaming listed = PortNaming::ListedPorts;
    QTest::addRow("COM: initial text") << "1" << com << true << "COM1";
    QTest::addRow("COM: leading blank") << " 3" << com << true << "COM3";
    QTest::addRow("COM: letters after the number") << "3abc" << com << true << "COM3";
    QTest::addRow("COM: 2.5 rounds to even 2") << "2.5" << com << true << "COM2";
    QTest::addRow("COM: 3.5 rounds to even 4") << "3.5" << com << true << "COM4";
    QTest::addRow("COM: zero does nothing") << "0" << com << false << "";
    QTest::addRow("COM: empty does nothing") << "" << com << false << "";
    // A name used to do nothing; now it says what to type.
    QTest::addRow("COM: a name is an error") << "COM3" << com << true << "";
    QTest::addRow("COM: a path is an error") << "/dev/pts/5" << com << true << "";
    // Used to strand the window silently; now it is a message.
    QTest::addRow("COM: beyond 16 bits is an error") << "40000" << com << true << "";
    QTest::addRow("COM: negative is an error") << "-2" << com << true << "";
    QTest::addRow("COM: 0.4 rounds to no port") << "0.4" << com << true << "";
    QTest::addRow("listed: first port") << "1" << listed << true << "/dev/ttyS0";
    QTest::addRow("listed: leading blank") << " 3" << listed << true << "/dev/ttyUSB1";
    QTest::addRow("listed: letters after the number") << "3abc" << listed << true << "/dev/ttyUSB1";
    QTest::addRow("listed: 2.5 rounds to even 2") << "2.5" << listed << true << "/dev/ttyUSB0";
    QTest::addRow("listed: 3.5 rounds to even 4") << "3.5" << listed << true << "/dev/ttyUSB2";
    QTest::addRow("listed: beyond the list is an error") << "5" << listed << true << "";
    QTest::addRow("listed: zero does nothing") << "0" << listed << false << "";
    QTest::addRow("listed: empty does nothing") << "" << listed << false << "";
    QTest::addRow("listed: a name is an error") << "COM3" << listed << true << "";
    QTest::addRow("listed: a path") << "/dev/pts/5" << listed << true << "/dev/pts/5";
    QTest::addRow("listed: a path with blanks around") << "  /dev/pts/5 " << listed << true << "/dev/pts/5";
}

void TestPortSelection::choice()
{
    QFETCH(QString, text);
    QFETCH(PortNaming, naming);
    QFETCH(bool, chosen);
    QFETCH(QString, device);
    const vantrel::PortTarget target = vantrel::resolvePort(vantrel::readPortRequest(text.toStdString(), naming), naming, kPorts);
    QCOMPARE(target.chosen, chosen);
    QCOMPARE(target.device, device);
    // A choice either names a device or says why not, never both or neither.
    QCOMPARE(target.error.isEmpty(), !chosen || !device.isEmpty());
    if (!target.error.isEmpty())
        QVERIFY2(target.error.startsWith("Cannot open port "), qPrintable(target.error));
}

void TestPortSelection::aNameSaysWhatToType_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<PortNaming>("naming");
    QTest::addColumn<QString>("error");
    const QString numbers = "a number picks a port the system lists (1 for the first; the box's tool tip lists them)";
    QTest::addRow("a listed port's name") << " ttyUSB1 " << PortNaming::ListedPorts
                                          << "Cannot open port ttyUSB1: type its number, 3, or its path, /dev/ttyUSB1";
    QTest::addRow("a device's name, not listed")
        << "ttyACM0" << PortNaming::ListedPorts << "Cannot open port ttyACM0: type the device's path, /dev/ttyACM0; " + numbers;
    QTest::addRow("any other name") << "abc" << PortNaming::ListedPorts
                                    << "Cannot open port abc: type a port number or a device path such as "
                                       "/dev/ttyUSB0; " + numbers;
    QTest::addRow("COM3 on Windows") << "com3" << PortNaming::ComNumbers
                                     << "Cannot open port com3: type the port's number, 3 for COM3";
    QTest::addRow("a name on Windows") << "abc" << PortNaming::ComNumbers
                                       << "Cannot open port abc: type the port's number, such as 3 for COM3";
}

void TestPortSelection::aNameSaysWhatToType()
{
    QFETCH(QString, text);
    QFETCH(PortNaming, naming);
    QFETCH(QString, error);
    const vantrel::PortTarget target =
        vantrel::resolvePort(vantrel::readPortRequest(text.toStdString(), naming), naming, kPorts);
    QVERIFY(target.chosen);
    QCOMPARE(target.error, error);
}

void TestPortSelection::toolTipListsPortsByNumber()
{
    QCOMPARE(vantrel::portListToolTip(kPorts), QString("1: ttyS0\n2: ttyUSB0\n3: ttyUSB1\n4: ttyUSB2"));
    QCOMPARE(vantrel::portListToolTip({}), QString());
}

QTEST_APPLESS_MAIN(TestPortSelection)
#include "tst_port_selection.moc"
