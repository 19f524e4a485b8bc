// kuvo erase: Change's overwrite-and-delete engine on the command line.
#include <QFile>
#include <QSet>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "change/core/delvsitr.h"
#include "change/core/filelist.h"
#include "cli.h"
#include "common/catalogue.h"
#include "common/lang.h"

namespace kuvo::cli {

namespace {

const char kEraseHelp[] = "Usage: kuvo erase [--strength normal|once|twice|vsitr] [--yes] FILE...\n"
                          "\n"
                          "Overwrites every FILE in place and deletes it, as Change does. A folder\n"
                          "stands for the plain files directly inside it; sub-folders are not entered.\n"
                          "A symbolic link is removed itself, never what it points to; pipes, devices\n"
                          "and sockets are left alone and reported.\n"
                          "\n"
                          "  -s, --strength S  normal: rename and delete only (not secure)\n"
                          "                    once:   one pass of zero bytes\n"
                          "                    twice:  zero bytes, then 0xFF bytes\n"
                          "                    vsitr:  00 FF 00 FF 00 FF AA, seven passes (default)\n"
                          "  -y, --yes         erase without asking\n"
                          "  -h, --help        show this help\n"
                          "\n"
                          "Without --yes the question is asked on the terminal; with no terminal to\n"
                          "ask on, nothing is erased. Ctrl+C stops after the file in hand.\n"
                          "Status and progress go to stderr.\n"
                          "\n"
                          "Exit status: 0 when every named file is gone; 1 when some file was not\n"
                          "erased or the answer was no; 2 for a usage error or a refusal without --yes.\n";

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int)
{
    g_interrupted = 1;
    std::signal(SIGINT, SIG_DFL); // a second Ctrl+C ends at once
}

// Progress on stderr: one redrawn line on a terminal, a line per step elsewhere.
class TerminalUi : public change::EraseUi {
public:
    TerminalUi() : m_tty(::isatty(STDERR_FILENO) != 0) {}

    void setBusy(bool) override {}
    void setStatus(const QString& text) override
    {
        m_status = text;
        show(true);
    }
    void setCurrentFile(const QString& path) override
    {
        if (path.isEmpty()) {
            endLine();
            m_file.clear();
            m_done = true;
            return;
        }
        ++m_index;
        m_file = path;
    }
    int fileBarWidth() const override { return 101; }
    void setFileBar(int width) override
    {
        m_percent = qBound(0, width - 1, 100);
        show(false);
    }
    void setOverall(int, int maximum) override { m_total = maximum; }
    void setLights(bool, bool, bool) override {}
    void showMessage(const QString& text) override
    {
        endLine();
        err() << text << "\n";
        err().flush();
    }
    void yield() override {}
    bool cancelFlag() const override { return m_cancel || g_interrupted; }
    void setCancelFlag(bool on) override
    {
        m_cancel = on;
        if (!on)
            g_interrupted = 0;
    }

private:
    void show(bool newStep)
    {
        if (m_index == 0)
            return;
        if (m_done) {
            err() << m_status << "\n";
            err().flush();
            return;
        }
        const QString line = QStringLiteral("[%1/%2] %3 %4").arg(m_index).arg(m_total).arg(m_status, m_file);
        if (m_tty) {
            err() << "\r\033[K" << line
                  << (m_percent > 0 ? QStringLiteral("  %1%").arg(m_percent) : QString());
            m_open = true;
        } else if (newStep) {
            err() << line << "\n";
        }
        err().flush();
    }
    void endLine()
    {
        if (m_open)
            err() << "\n";
        m_open = false;
    }

    bool m_tty;
    bool m_open = false;
    bool m_cancel = false;
    bool m_done = false;
    int m_index = 0, m_total = 0, m_percent = 0;
    QString m_status, m_file;
};

int parseStrength(const QString& name)
{
    const QString s = name.toLower();
    const QStringList names{"normal", "once", "twice", "vsitr"};
    if (names.contains(s))
        return int(names.indexOf(s));
    if (s.size() == 1 && s[0] >= QLatin1Char('0') && s[0] <= QLatin1Char('3'))
        return s[0].unicode() - '0';
    return -1;
}

bool present(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool confirmed()
{
    err() << LoadText(148) << " [y/N] ";
    err().flush();
    char answer[64] = {};
    if (!std::fgets(answer, sizeof answer, stdin))
        return false;
    const QString a = QString::fromLocal8Bit(answer).trimmed().toLower();
    // Yes in the three languages of the question: yes, ja, sí.
    return !a.isEmpty() && QStringLiteral("yjs").contains(a[0]);
}

} // namespace

int runErase(const QStringList& args)
{
    int strength = change::Vsitr;
    bool yes = false;
    QStringList named;
    bool options = true;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (options && (a == QLatin1String("-h") || a == QLatin1String("--help"))) {
            out() << kEraseHelp;
            out().flush();
            return Success;
        }
        if (options && (a == QLatin1String("-y") || a == QLatin1String("--yes"))) {
            yes = true;
        } else if (options && (a == QLatin1String("-s") || a == QLatin1String("--strength") ||
                               a.startsWith(QLatin1String("--strength=")))) {
            QString value;
            if (a.contains(QLatin1Char('=')))
                value = a.section(QLatin1Char('='), 1);
            else if (i + 1 < args.size())
                value = args[++i];
            strength = parseStrength(value);
            if (strength < 0)
                return usageError(
                    QStringLiteral("erase: unknown strength '%1' (normal, once, twice, vsitr)").arg(value));
        } else if (options && a == QLatin1String("--")) {
            options = false;
        } else if (options && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usageError(QStringLiteral("erase: unknown option '%1'").arg(a));
        } else {
            named << a;
        }
    }
    if (named.isEmpty())
        return usageError(QStringLiteral("erase: no file named"));

    setActiveCatalogue(Catalogue::fromResource(QStringLiteral(":/catalogue/change.tsv")));
    initLanguage();

    bool missing = false;
    QStringList list;
    QSet<QString> seen;
    const auto add = [&](const QString& path) {
        const QString p = change::normalizeListPath(path);
        if (!seen.contains(p)) {
            seen.insert(p);
            list << p;
        }
    };
    for (const QString& name : named) {
        if (!present(name)) {
            err() << "kuvo: cannot erase '" << name << "': No such file or directory\n";
            missing = true;
        } else if (change::IsDirectory(name)) {
            for (const QString& file : change::plainFilesIn(name))
                add(file);
        } else {
            add(name);
        }
    }
    err().flush();
    if (list.isEmpty()) {
        if (!missing)
            err() << "kuvo: nothing to erase\n";
        return missing ? Failure : Success;
    }

    if (!yes) {
        if (!::isatty(STDIN_FILENO)) {
            err()
                << "kuvo: erase: refusing to erase without a terminal to ask on; add --yes to erase anyway\n";
            err().flush();
            return Usage;
        }
        if (!confirmed())
            return Failure;
    }

    std::signal(SIGINT, onInterrupt);
    TerminalUi ui;
    QStringList handed = list;
    change::DelVSITR(handed, strength, ui);
    std::signal(SIGINT, SIG_DFL);

    bool allGone = !missing;
    for (const QString& path : list) {
        if (present(path)) {
            err() << "kuvo: not erased: " << path << "\n";
            allGone = false;
        }
    }
    err().flush();
    return allGone ? Success : Failure;
}

} // namespace kuvo::cli
