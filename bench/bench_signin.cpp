// Sign-in refusals must not tell which staff IDs exist: a known ID with a wrong password,
// a known ID without a password, a stored text that is not a hash and an unknown ID are
// each timed through PasswordRegister on an embedded store, in this process (medians) and
// as the first attempt of a fresh process (each kind in processes of its own). See Usage.

#include "BenchTiming.h"
#include "server/EmbeddedConnection.h"
#include "user/PasswordHash.h"
#include "user/PasswordRegister.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_signin [--runs N] [--cpu]\n"
    "\n"
    "Times refused sign-ins (ms): a known ID with a wrong password, a known ID without a\n"
    "password, a known ID whose stored text is not a hash, and an unknown ID; in one process\n"
    "(median of N runs) and as the first attempt of a fresh process (median of 5 processes).\n"
    "\n"
    "  --runs N   refusals per kind in this process (default 20)\n"
    "  --cpu      time the thread's CPU use instead of the wall clock (in this process\n"
    "             only: a fresh process is timed by the wall clock)\n"
    "  --help     this text\n";

struct Kind
{
    const char* name;
    const char* staffId;
};
const Kind Kinds[] = {{"known, wrong password", "KNOWN"},
                      {"known, no password", "NOPASS"},
                      {"known, stored text not a hash", "CLEAR"},
                      {"unknown ID", "NOBODY"}};

void seed(const QString& folder)
{
    EmbeddedConnection store(folder);
    const QString hash = PasswordHash::make(QStringLiteral("right"));
    for (const auto& [id, stored] : {std::pair{"KNOWN", hash}, std::pair{"NOPASS", QString()},
                                     std::pair{"CLEAR", QStringLiteral("$argon2id$right")}}) {
        store.nativeExecute(QStringLiteral("INSERT INTO Password.tbPasswordMain(EmployeeID, "
                                           "Lastname, Firstname, Middlename, PasswordHash, "
                                           "Active) VALUES('%1', 'Doe', 'Jo', '', '%2', '1')")
                                .arg(QLatin1String(id), stored));
        store.nativeExecute(QStringLiteral("INSERT INTO Password.tbPasswordAppAccess VALUES('%1', "
                                           "'TALO')")
                                .arg(QLatin1String(id)));
    }
}

// One refusal, timed; the process's first when called from --first.
double refusalMs(PasswordRegister& passwords, const char* staffId)
{
    const qint64 start = BenchTiming::nowNs();
    if (passwords.signIn(QLatin1String(staffId), QStringLiteral("wrong")))
        qFatal("signed in with a wrong password");
    return double(BenchTiming::nowNs() - start) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    // Child mode: --first FOLDER STAFFID times this fresh process's first refusal.
    if (args.size() == 4 && args.at(1) == QLatin1String("--first")) {
        EmbeddedConnection store(args.at(2));
        PasswordRegister passwords(store, QStringLiteral("TALO"));
        QTextStream(stdout) << refusalMs(passwords, args.at(3).toLatin1().constData()) << '\n';
        return 0;
    }
    const BenchTiming::Options options = BenchTiming::options(args, 20, Usage);
    QTemporaryDir dir;
    seed(dir.path());

    QTextStream out(stdout);
    out << "kind                              in-process ms   first in a fresh process ms\n";
    EmbeddedConnection store(dir.path());
    PasswordRegister passwords(store, QStringLiteral("TALO"));
    refusalMs(passwords, "KNOWN"); // the store's statements prepared, as after a first try
    for (const Kind& kind : Kinds) {
        std::vector<double> inProcess;
        for (int i = 0; i < options.runs; ++i)
            inProcess.push_back(refusalMs(passwords, kind.staffId));
        std::vector<double> first;
        for (int i = 0; i < 5; ++i) {
            QProcess child;
            child.start(app.applicationFilePath(),
                        {QStringLiteral("--first"), dir.path(), QLatin1String(kind.staffId)});
            child.waitForFinished(-1);
            first.push_back(child.readAllStandardOutput().trimmed().toDouble());
        }
        out << QString::fromLatin1(kind.name).leftJustified(34)
            << QString::number(median(inProcess), 'f', 1).rightJustified(13)
            << QString::number(median(first), 'f', 1).rightJustified(30) << '\n';
    }
    return 0;
}
