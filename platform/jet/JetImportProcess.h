#pragma once

// Converting a Jet/Access file in a helper process (klang-jetimport, beside the programs).
// libmdb, which reads the file, can read uninitialised memory on a damaged file and then crash
// or never return; in a process of its own that can neither take the program down nor freeze
// it. The helper only writes the new file's data; this side owns the file: it creates and locks
// it, renames it into place when the helper reports success and removes it on every other end
// (a crash, a cancel, a helper that stops reporting progress).

#include "platform/jet/JetImport.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <memory>
#include <optional>

namespace klang::jet {

class JetImportProcess : public QObject
{
    Q_OBJECT
public:
    // Time without a word from the helper after which it is taken for hung.
    static constexpr int kDefaultStallLimitMs = 20000;

    explicit JetImportProcess(QObject* parent = nullptr);
    ~JetImportProcess() override; // a running helper is killed and its file removed

    // The helper: $KLANGTRUHE_JETIMPORT, else klang-jetimport beside this program, else in
    // $KLANGTRUHE_BIN_DIR (tests run from a folder of their own).
    static QString helperProgram();

    // Default: $KLANGTRUHE_JETIMPORT_STALL_MS, else kDefaultStallLimitMs.
    void setStallLimit(int ms) { m_stallLimitMs = ms; }

    // Starts the conversion of source into target (see importJetFile). finished() follows,
    // never from inside start(). The helper dies with the thread that starts it: start it
    // from one that outlives the conversion (the GUI thread).
    void start(const QString& source, const QString& target, bool overwrite);
    // Ends the helper; the result is a cancel and no new file stays.
    void cancel();
    bool isRunning() const { return m_running; }
    const JetImportResult& result() const { return m_result; }

    // Runs one conversion and waits for it in a local event loop (tools and tests).
    static JetImportResult run(const QString& source, const QString& target, bool overwrite = false,
                               int stallLimitMs = 0);

signals:
    void progress(const klang::jet::JetImportProgress& progress);
    void finished();

private:
    enum class End { Open, Cancelled, Stalled, Garbled };
    void readOutput();
    void line(const QByteArray& report, std::optional<JetImportProgress>* latest);
    void processEnded(bool crashed, int exitCode);
    void failedToStart();
    void finish(const DbError& error);

    QProcess* m_process = nullptr;
    QTimer m_stall;
    int m_stallLimitMs;
    std::unique_ptr<JetTargetFile> m_file;
    QString m_source;
    bool m_overwrite = false;
    bool m_running = false;
    bool m_reported = false; // the helper's last line (ok or error) arrived
    bool m_exited = false;   // the helper is gone; what it wrote is still read
    End m_end = End::Open;
    QByteArray m_buffer;
    JetImportResult m_result;
};

// The helper's main: klang-jetimport <Jet file> <new file>. Reports on stdout, one line each:
// "progress <tableIndex> <tableCount> <row> <rows> <table>", "table <rows> <name>",
// "left <text>", then "ok" or "error <number> <text>"; fields are tab-separated and text is
// percent-encoded.
int jetImportHelperMain(int argc, char** argv);

} // namespace klang::jet
