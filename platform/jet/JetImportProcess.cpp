#include "platform/jet/JetImportProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace klang::jet {

namespace {

// Longer lines are no report of the helper's: it is ended as garbled.
constexpr qsizetype kMaxLine = 64 * 1024;

QByteArray field(const QString& text)
{
    return text.toUtf8().toPercentEncoding();
}

QString text(const QByteArray& field)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(field));
}

// One write per line: the parent reads only whole lines, so a crash cuts no report in half.
void writeLine(int fd, QByteArray line)
{
    line += '\n';
    const char* p = line.constData();
    size_t left = size_t(line.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ::_exit(3); // no one listens any more
        p += n;
        left -= size_t(n);
    }
}

} // namespace

JetImportProcess::JetImportProcess(QObject* parent) : QObject(parent), m_process(new QProcess(this))
{
    bool ok = false;
    const int limit = qEnvironmentVariableIntValue("KLANGTRUHE_JETIMPORT_STALL_MS", &ok);
    m_stallLimitMs = ok && limit > 0 ? limit : kDefaultStallLimitMs;
    m_stall.setSingleShot(true);
    connect(&m_stall, &QTimer::timeout, this, [this] {
        if (m_end == End::Open) {
            m_end = End::Stalled;
            m_process->kill();
        }
    });
    // libmdb's complaints about a damaged file are of no use to the user.
    m_process->setStandardErrorFile(QProcess::nullDevice());
    const pid_t self = ::getpid();
    m_process->setChildProcessModifier([self] {
        // The helper dies with the program that started it, also when that one is killed.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != self)
            ::_exit(127);
    });
    connect(m_process, &QProcess::readyReadStandardOutput, this, &JetImportProcess::readOutput);
    connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        processEnded(status == QProcess::CrashExit, exitCode);
    });
    // Queued: a start that fails reports from inside QProcess::start().
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            failedToStart();
    }, Qt::QueuedConnection);
}

JetImportProcess::~JetImportProcess()
{
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

QString JetImportProcess::helperProgram()
{
    const QString chosen = qEnvironmentVariable("KLANGTRUHE_JETIMPORT");
    if (!chosen.isEmpty())
        return chosen;
    const QString name = QStringLiteral("klang-jetimport");
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    const QString binDir = qEnvironmentVariable("KLANGTRUHE_BIN_DIR");
    if (!QFileInfo(beside).isExecutable() && !binDir.isEmpty())
        return QDir(binDir).filePath(name);
    return beside;
}

void JetImportProcess::start(const QString& source, const QString& target, bool overwrite)
{
    if (m_running)
        return;
    m_running = true;
    m_result = {};
    m_source = source;
    m_overwrite = overwrite;
    m_reported = false;
    m_exited = false;
    m_end = End::Open;
    m_buffer.clear();
    DbError error = checkJetImport(source, target, overwrite);
    if (!error.isError()) {
        m_file = std::make_unique<JetTargetFile>(target);
        m_file->create(&error);
    }
    if (error.isError()) {
        QMetaObject::invokeMethod(this, [this, error] { finish(error); }, Qt::QueuedConnection);
        return;
    }
    m_process->start(helperProgram(), {source, m_file->path()});
    m_stall.start(m_stallLimitMs);
}

void JetImportProcess::cancel()
{
    if (!m_running || m_end != End::Open)
        return;
    m_end = End::Cancelled;
    if (m_process->state() != QProcess::NotRunning)
        m_process->kill();
}

void JetImportProcess::readOutput()
{
    const QByteArray more = m_process->readAllStandardOutput();
    if (more.isEmpty() || !m_running)
        return;
    if (m_end == End::Open && !m_exited)
        m_stall.start(m_stallLimitMs);
    m_buffer += more;
    const qsizetype whole = m_buffer.lastIndexOf('\n') + 1;
    const QList<QByteArray> lines = m_buffer.left(whole).split('\n');
    m_buffer.remove(0, whole);
    std::optional<JetImportProgress> latest;
    for (const QByteArray& report : lines)
        line(report, &latest);
    if (m_buffer.size() > kMaxLine && m_end == End::Open) {
        m_end = End::Garbled;
        m_process->kill();
    }
    // Last, with every line taken in: a receiver may run events (a progress dialog does), in
    // which the helper's end can be handled.
    if (latest && m_end == End::Open)
        emit progress(*latest);
}

void JetImportProcess::line(const QByteArray& report, std::optional<JetImportProgress>* latest)
{
    if (m_end != End::Open || m_reported)
        return;
    const QList<QByteArray> f = report.split('\t');
    if (f[0] == "progress" && f.size() == 6)
        *latest = JetImportProgress{text(f[5]), f[3].toLongLong(), f[4].toLongLong(), f[1].toInt(), f[2].toInt()};
    else if (f[0] == "table" && f.size() == 3) {
        m_result.tables << text(f[2]);
        m_result.rowCounts << f[1].toLongLong();
    } else if (f[0] == "left" && f.size() == 2)
        m_result.leftOut << text(f[1]);
    else if (f[0] == "note" && f.size() == 2)
        m_result.notes << text(f[1]);
    else if (f[0] == "ok" && f.size() == 1) {
        m_result.ok = true;
        m_reported = true;
    } else if (f[0] == "error" && f.size() == 3 && f[1].toInt() != 0) {
        m_result.error = DbError{f[1].toInt(), text(f[2])};
        m_reported = true;
    }
}

void JetImportProcess::processEnded(bool crashed, int exitCode)
{
    if (!m_running)
        return;
    m_exited = true;
    m_stall.stop();
    readOutput();
    if (!m_running)
        return;
    switch (m_end) {
    case End::Cancelled:
        m_result.cancelled = true;
        return finish(cancelledJetImport());
    case End::Stalled:
        return finish(damagedJetFile(m_source, QStringLiteral("das Lesen der Datei kam %1 Sekunden lang nicht voran")
                                                   .arg(QLocale(QLocale::German).toString(m_stallLimitMs / 1000.0))));
    case End::Garbled:
    case End::Open:
        break;
    }
    // Ended by a signal that comes from outside (the out-of-memory killer, a kill, the end of
    // the session): that says nothing about the file.
    if (crashed && (exitCode == SIGKILL || exitCode == SIGTERM || exitCode == SIGINT || exitCode == SIGHUP))
        return finish(DbError{errors::kGeneral,
                              QStringLiteral("Die Umwandlung wurde beendet, bevor sie fertig war: das Programm '%1', "
                                             "das sie ausführt, wurde von außen beendet (z. B. weil der "
                                             "Arbeitsspeicher nicht reichte). Die Access-Datenbank wurde nicht "
                                             "verändert; es wurde keine neue Datei angelegt.")
                                  .arg(QFileInfo(helperProgram()).fileName())});
    if (m_end == End::Garbled || crashed || exitCode != 0 || !m_reported)
        return finish(damagedJetFile(m_source, QStringLiteral("das Lesen der Datei brach ab")));
    if (!m_result.ok)
        return finish(m_result.error);
    DbError error;
    m_file->putInPlace(m_source, m_overwrite, &error);
    finish(error);
}

void JetImportProcess::failedToStart()
{
    if (m_running && m_process->state() == QProcess::NotRunning)
        finish(DbError{errors::kGeneral,
                       QStringLiteral("Das Programm '%1', das die Umwandlung ausführt, kann nicht gestartet werden "
                                      "(%2). Es wurde keine neue Datei angelegt.")
                           .arg(helperProgram(), m_process->errorString())});
}

void JetImportProcess::finish(const DbError& error)
{
    if (!m_running)
        return;
    m_stall.stop();
    if (error.isError()) {
        m_result.ok = false;
        m_result.error = error;
    }
    m_file.reset(); // removes the new file unless it is in place
    m_running = false;
    emit finished();
}

JetImportResult JetImportProcess::run(const QString& source, const QString& target, bool overwrite, int stallLimitMs)
{
    JetImportProcess job;
    if (stallLimitMs > 0)
        job.setStallLimit(stallLimitMs);
    QEventLoop loop;
    connect(&job, &JetImportProcess::finished, &loop, &QEventLoop::quit);
    job.start(source, target, overwrite);
    loop.exec();
    return job.result();
}

int jetImportHelperMain(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: klang-jetimport <Jet file> <new file>\n");
        return 2;
    }
    // The report has a descriptor of its own; whatever libmdb prints goes to stderr.
    const int out = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (out < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 3;
    JetImportOptions options;
    options.progress = [out](const JetImportProgress& p) {
        writeLine(out, "progress\t" + QByteArray::number(p.tableIndex) + '\t' + QByteArray::number(p.tableCount) + '\t'
                           + QByteArray::number(p.row) + '\t' + QByteArray::number(p.rows) + '\t' + field(p.table));
    };
    const JetImportResult r = writeJetCopy(QFile::decodeName(argv[1]), QFile::decodeName(argv[2]), options);
    for (qsizetype i = 0; i < r.tables.size(); ++i)
        writeLine(out, "table\t" + QByteArray::number(r.rowCounts.value(i)) + '\t' + field(r.tables[i]));
    for (const QString& left : r.leftOut)
        writeLine(out, "left\t" + field(left));
    for (const QString& note : r.notes)
        writeLine(out, "note\t" + field(note));
    writeLine(out, r.ok ? QByteArray("ok")
                        : "error\t" + QByteArray::number(r.error.number) + '\t' + field(r.error.description));
    return 0;
}

} // namespace klang::jet
