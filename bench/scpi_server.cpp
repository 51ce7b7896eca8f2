// vantrel-scpi as a process, as a test script meets it: a FREQ command to its
// first line on the wire, FREQ with *OPC? against the pacing of its six
// lines and of a step that changes one word, FREQ? round trips on loopback
// from one client and from ten, its memory while 24 held clients flood it,
// and its CPU while idle. The wire is
// a pseudo-terminal this benchmark holds itself, so that it sees each line
// as it arrives.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kWaitMs = 10000;

// The board's end of a fresh pseudo-terminal.
struct Wire {
    int fd = -1;
    QString path;

    Wire()
    {
        fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname(fd) == nullptr) {
            close();
            return;
        }
        path = QString::fromLocal8Bit(ptsname(fd));
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
    }
    ~Wire() { close(); }
    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    void drain()
    {
        char buffer[512];
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
    }
};

// vantrel-scpi on the wire's port and a client connected to it.
struct Server {
    Wire wire;
    QProcess process;
    QTcpSocket client;
    QByteArray buffer;
    QString error;

    Server()
    {
        if (wire.fd < 0) {
            error = QStringLiteral("no pseudo-terminal");
            return;
        }
        // It says where it listens on stderr.
        process.setReadChannel(QProcess::StandardError);
        process.start(QStringLiteral(VANTREL_SCPI_EXE),
                      {"--port", wire.path, "--listen", "127.0.0.1:0", "--auto-divider"});
        static const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+);"));
        QByteArray said;
        QRegularExpressionMatch match;
        while (!(match = listening.match(QString::fromLocal8Bit(said))).hasMatch()) {
            if (!process.waitForReadyRead(kWaitMs)) {
                error = QStringLiteral("vantrel-scpi did not start: ") + QString::fromLocal8Bit(said);
                return;
            }
            said += process.readAllStandardError();
        }
        client.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(match.captured(1).toUInt()));
        client.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (!client.waitForConnected(kWaitMs))
            error = QStringLiteral("cannot connect: ") + client.errorString();
    }
    ~Server()
    {
        client.abort();
        process.terminate();
        if (!process.waitForFinished(kWaitMs))
            process.kill();
    }
    void send(const QByteArray& line)
    {
        client.write(line + '\n');
        client.flush();
    }
    QByteArray answer()
    {
        while (!buffer.contains('\n')) {
            if (!client.waitForReadyRead(kWaitMs))
                return {};
            buffer += client.readAll();
        }
        const qsizetype end = buffer.indexOf('\n');
        QByteArray line = buffer.left(end);
        buffer.remove(0, end + 1);
        return line;
    }
    // A line of /proc/<pid>/status in KiB ("VmHWM:", "VmRSS:").
    double statusKiB(const char* field) const
    {
        QFile file(QStringLiteral("/proc/%1/status").arg(process.processId()));
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.startsWith(field))
                return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toDouble();
        }
        return -1;
    }
    // The process's time on a CPU so far, all its threads, in seconds.
    double cpuSeconds() const
    {
        double total = 0;
        const QDir tasks(QStringLiteral("/proc/%1/task").arg(process.processId()));
        for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile file(tasks.filePath(task + QStringLiteral("/schedstat")));
            if (file.open(QIODevice::ReadOnly))
                total += file.readAll().split(' ').value(0).toDouble() / 1e9;
        }
        return total;
    }
};

// Two frequencies in turn, so that every FREQ plans anew.
QByteArray nextFrequency(int& turn) { return (turn++ % 2) == 0 ? "FREQ 2.4GHZ" : "FREQ 2.45GHZ"; }

void scpiFreqToFirstLine(benchmark::State& state)
{
    Server server;
    if (!server.error.isEmpty()) {
        state.SkipWithError(server.error.toLocal8Bit().constData());
        return;
    }
    QSocketNotifier readable(server.wire.fd, QSocketNotifier::Read);
    int turn = 0;
    for (auto _ : state) {
        server.wire.drain();
        QEventLoop loop;
        QElapsedTimer clock;
        const QMetaObject::Connection connection =
            QObject::connect(&readable, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
        QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
        clock.start();
        server.send(nextFrequency(turn) + ";*OPC?");
        loop.exec();
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        QObject::disconnect(connection);
        if (server.answer() != "1") {
            state.SkipWithError("no answer to *OPC?");
            return;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(scpiFreqToFirstLine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// FREQ;*OPC? with every set whole (SYST:CHAN OFF) sends six lines, 100 ms
// apart, and answers after the last one's pause: the floor is 0.6 s.
void scpiFreqWithOpc(benchmark::State& state)
{
    Server server;
    if (!server.error.isEmpty()) {
        state.SkipWithError(server.error.toLocal8Bit().constData());
        return;
    }
    server.send("SYST:CHAN OFF;*OPC?");
    server.answer();
    int turn = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        server.send(nextFrequency(turn) + ";*OPC?");
        if (server.answer() != "1") {
            state.SkipWithError("no answer to *OPC?");
            return;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        server.wire.drain();
    }
}
BENCHMARK(scpiFreqWithOpc)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// After the first whole set, a CW step within one divider changes Reg0
// alone: one line and its pause, a floor of 0.1 s.
void scpiCwChangedStep(benchmark::State& state)
{
    Server server;
    if (!server.error.isEmpty()) {
        state.SkipWithError(server.error.toLocal8Bit().constData());
        return;
    }
    server.send("FREQ 2400MHZ;*OPC?");
    server.answer();
    int turn = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        server.send((turn++ % 2) == 0 ? "FREQ 2400.25MHZ;*OPC?" : "FREQ 2400MHZ;*OPC?");
        if (server.answer() != "1") {
            state.SkipWithError("no answer to *OPC?");
            return;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        server.wire.drain();
    }
}
BENCHMARK(scpiCwChangedStep)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// 1000 FREQ? in a row, each waiting for its answer, as a script polls.
void scpiQueries(benchmark::State& state)
{
    Server server;
    if (!server.error.isEmpty()) {
        state.SkipWithError(server.error.toLocal8Bit().constData());
        return;
    }
    constexpr int kQueries = 1000;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kQueries; ++i) {
            server.send("FREQ?");
            if (server.answer() != "2320500000") {
                state.SkipWithError("a wrong answer to FREQ?");
                return;
            }
        }
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        state.counters["queries_per_second"] = kQueries / seconds;
    }
}
BENCHMARK(scpiQueries)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// A client of the same server beside the first.
struct Client {
    QTcpSocket socket;
    QByteArray buffer;

    bool connectTo(quint16 port)
    {
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return socket.waitForConnected(kWaitMs);
    }
    QByteArray answer()
    {
        while (!buffer.contains('\n')) {
            if (!socket.waitForReadyRead(kWaitMs))
                return {};
            buffer += socket.readAll();
        }
        const qsizetype end = buffer.indexOf('\n');
        QByteArray line = buffer.left(end);
        buffer.remove(0, end + 1);
        return line;
    }
};

// Ten clients polling FREQ? at once, each waiting for its own answer.
void scpiQueriesTenClients(benchmark::State& state)
{
    Server server;
    if (!server.error.isEmpty()) {
        state.SkipWithError(server.error.toLocal8Bit().constData());
        return;
    }
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 10; ++i) {
        clients.push_back(std::make_unique<Client>());
        if (!clients.back()->connectTo(server.client.peerPort())) {
            state.SkipWithError("cannot connect");
            return;
        }
    }
    constexpr int kRounds = 500;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        for (int round = 0; round < kRounds; ++round) {
            for (const auto& client : clients) {
                client->socket.write("FREQ?\n");
                client->socket.flush();
            }
            for (const auto& client : clients) {
                if (client->answer() != "2320500000") {
                    state.SkipWithError("a wrong answer to FREQ?");
                    return;
                }
            }
        }
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        state.counters["queries_per_second"] = kRounds * double(clients.size()) / seconds;
    }
}
BENCHMARK(scpiQueriesTenClients)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// 24 clients held by *WAI behind a sweep of long steps, each sending 64 KiB
// lines as fast as it may for 5 s: the server's peak resident memory.
void scpiFloodMemory(benchmark::State& state)
{
    Server server;
    if (!server.error.isEmpty()) {
        state.SkipWithError(server.error.toLocal8Bit().constData());
        return;
    }
    server.send("FREQ:STAR 2400MHZ;STOP 2401MHZ;STEP 1MHZ;:SWE:DWEL 60;:FREQ:MODE SWE;:INIT;:STAT:OPER:COND?");
    if (server.answer() != "8") {
        state.SkipWithError("the sweep did not start");
        return;
    }
    QByteArray line = "LIST:FREQ 2400MHZ";
    while (line.size() < 65000)
        line += ",2400MHZ";
    line += '\n';
    for (auto _ : state) {
        std::vector<std::unique_ptr<Client>> clients;
        for (int i = 0; i < 24; ++i) {
            clients.push_back(std::make_unique<Client>());
            if (!clients.back()->connectTo(server.client.peerPort())) {
                state.SkipWithError("cannot connect");
                return;
            }
            clients.back()->socket.write("*WAI\n");
        }
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            for (const auto& client : clients) {
                if (client->socket.bytesToWrite() < 4 * line.size())
                    client->socket.write(line);
                client->socket.waitForBytesWritten(5);
            }
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        state.counters["peak_rss_kB"] = server.statusKiB("VmHWM:");
    }
}
BENCHMARK(scpiFloodMemory)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// Connected, nothing asked: what the server takes of a CPU over 10 s.
void scpiIdleCpu(benchmark::State& state)
{
    Server server;
    if (!server.error.isEmpty()) {
        state.SkipWithError(server.error.toLocal8Bit().constData());
        return;
    }
    // A reading that cannot see the server's CPU would pass for idle.
    for (int i = 0; i < 200; ++i) {
        server.send("*IDN?");
        server.answer();
    }
    if (!(server.cpuSeconds() > 0)) {
        state.SkipWithError("cannot read the server's CPU time");
        return;
    }
    for (auto _ : state) {
        const double before = server.cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        QThread::sleep(10); // the bench does nothing meanwhile; the server runs on its own
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        state.counters["cpu_percent_of_one_core"] = 100.0 * (server.cpuSeconds() - before) / seconds;
    }
}
BENCHMARK(scpiIdleCpu)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
