#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QBuffer>
#include <map>

#include "cli/CommandContext.h"
#include "cli/CommandLine.h"
#include "records/PickDatabase.h"
#include "store/Clock.h"
#include "store/DefinitionFile.h"
#include "support/EarlierVersionFile.h"

namespace {

// A data folder holding "club" (NAME, TOWN): Ada of Paris, picked once on
// 07-03-2004 at 10:00:00, Bob of Lyon, Cyd of Nice, and Dan of Rome, who is
// omitted from picks; and a folder elsewhere for the files imported and
// exported. The clock reads 07-04-2004 14:05:09; every pick's key is the
// number 7.
struct Cli {
    Cli() {
        DataRecord ada = PickDatabase::entry({"Ada", "Paris"}, "F", 1);
        ada.LastPicked = "07-03-2004";
        db.add({ada, PickDatabase::entry({"Bob", "Lyon"}), PickDatabase::entry({"Cyd", "Nice"}),
                PickDatabase::entry({"Dan", "Rome"}, "T")});
        db.addPick("07-03-2004", "10:00:00", {ada});
        elsewhere.write("two.csv", "Oslo,Eve\nBern,Fay\n");
        // A first line names the fields only when it names each of them once.
        elsewhere.write("named.csv", "town, Name \nOslo,Eve\n");
        elsewhere.write("short.csv", "name\nEve\n");
        elsewhere.write("twice.csv", "name,NAME\nOslo,Eve\n");
        elsewhere.write("unknown.csv", "town,city\nOslo,Eve\n");
    }

    struct Ran {
        int status;
        QString out, err;
    };
    Ran run(QStringList arguments, bool terminal = false) const {
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        CommandContext context{out, err, terminal, db.folder.path(), clock};
        context.randomSource = [] {
            return std::make_unique<FixedRandomSource>(QStringLiteral("7"));
        };
        context.busyWait = std::chrono::milliseconds(0);
        for (QString& a : arguments) a = paths(a);
        const int status = CommandLine::Run(QStringList{"randola", "--data-dir", db.folder.path()} +
                                                arguments,
                                            context);
        return {status, QString::fromUtf8(out.data()), QString::fromUtf8(err.data())};
    }
    // %F stands for the data folder, %E for the folder elsewhere.
    QString paths(QString text) const {
        return text.replace("%F", db.folder.path()).replace("%E", elsewhere.path());
    }
    std::map<QString, QByteArray> files() const {
        std::map<QString, QByteArray> all;
        for (const QString& name : db.folder.files()) all["%F/" + name] = db.folder.readAll(name);
        for (const QString& name : elsewhere.files()) all["%E/" + name] = elsewhere.readAll(name);
        return all;
    }

    PickDatabase db{{"NAME", "TOWN"}, "club"};
    TestFolder elsewhere;
    FixedClock clock{QDateTime(QDate(2004, 7, 4), QTime(14, 5, 9))};
};

// Another copy of the program in the middle of a change to a database.
class HeldByAnother {
public:
    explicit HeldByAnother(const QString& path) {
        sqlite3_open(path.toUtf8().constData(), &db_);
        sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    }
    ~HeldByAnother() {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }

private:
    sqlite3* db_ = nullptr;
};

// Text that ends in "..." is the beginning of what is expected.
void expectText(const QString& got, const QString& wanted) {
    if (wanted.endsWith("...")) {
        EXPECT_TRUE(got.startsWith(wanted.chopped(3))) << got.toStdString();
    } else {
        EXPECT_EQ(got.toStdString(), wanted.toStdString());
    }
}

}  // namespace

TEST(CommandLine, EachCommandPrintsItsOutcomeAndEndsWithZero) {
    struct Case {
        std::vector<QStringList> commands;  // run in turn; their output joined
        QString out;
        QString file = {};  // a file written, and what it holds
        QByteArray holds = {};
    };
    const Case cases[] = {
        {{{"list"}}, "club\t4\n"},
        {{{"list", "--json"}}, R"({"databases":[{"name":"club","records":4}],"folder":"%F"})" "\n"},
        {{{"create", "shop", "name,city"}, {"fields", "shop"}},
         "\"shop\" created with the fields NAME,CITY\nNAME\nCITY\n"},
        {{{"fields", "club"}}, "NAME\nTOWN\n"},
        {{{"fields", "club", "--json"}}, R"({"database":"club","fields":["NAME","TOWN"]})" "\n"},
        // A pick in the same second as the one before is stamped a second later.
        {{{"pick", "club", "2"}, {"pick", "club", "1", "--json"}, {"history", "club"}},
         "07-04-2004 14:05:09\nAda\tParis\nBob\tLyon\n"
         R"({"database":"club","date":"07-04-2004","fields":["NAME","TOWN"],)"
         R"("records":[["Ada","Paris"]],"time":"14:05:10"})" "\n"
         "07-04-2004 14:05:10\n07-04-2004 14:05:09\n07-03-2004 10:00:00\n"},
        {{{"history", "club", "--json"}},
         R"({"database":"club","picks":[{"date":"07-03-2004","time":"10:00:00"}]})" "\n"},
        // The columns as named; the records go in beside those already there,
        // entered today and never picked.
        {{{"import", "club", "%E/two.csv", "--fields", "town,NAME"},
          {"export", "club", "%E/all", "--fields",
           "NAME,town,date entered,last picked,times picked,omit,notes"}},
         "2 records read from %E/two.csv\n2 records added to \"club\", which now holds 6 records\n"
         "6 records written to %E/all.csv\n",
         "%E/all.csv",
         "\"Ada\",\"Paris\",\"01-02-2003\",\"07-03-2004\",\"1\",\"F\",\"\"\r\n"
         "\"Bob\",\"Lyon\",\"01-02-2003\",\"\",\"0\",\"F\",\"\"\r\n"
         "\"Cyd\",\"Nice\",\"01-02-2003\",\"\",\"0\",\"F\",\"\"\r\n"
         "\"Dan\",\"Rome\",\"01-02-2003\",\"\",\"0\",\"T\",\"\"\r\n"
         "\"Eve\",\"Oslo\",\"07-04-2004\",\"\",\"0\",\"F\",\"\"\r\n"
         "\"Fay\",\"Bern\",\"07-04-2004\",\"\",\"0\",\"F\",\"\"\r\n"},
        // A first line that names the fields orders the columns and is no record.
        {{{"import", "club", "%E/named.csv"}},
         "1 record read from %E/named.csv\n1 record added to \"club\", which now holds 5 records\n"},
        {{{"export", "club", "%E/all.csv", "--header"}},
         "4 records written to %E/all.csv\n",
         "%E/all.csv",
         "\"NAME\",\"TOWN\"\r\n\"Ada\",\"Paris\"\r\n\"Bob\",\"Lyon\"\r\n\"Cyd\",\"Nice\"\r\n"
         "\"Dan\",\"Rome\"\r\n"},
        {{{"export", "club", "%E/won.txt", "--pick-results", "--fields", "name,Times Picked"}},
         "1 record written to %E/won.txt\n",
         "%E/won.txt",
         "Ada 1\r\n"},
        {{{"report", "club"}}, "COMPLETE LISTING OF club\n" + QString(80, '=') + "\n\n..."},
        {{{"report", "club", "--pick", "07-03-2004  10:00:00"}},
         "HISTORY FOR PICK ON 07-03-2004 AT 10:00:00  \n" + QString(80, '=') + "\n\n..."},
        {{{"check", "club"}}, "sound\n"},
        {{{"--version"}}, "randola 3.00\n"},
        {{{"help", "pick"}}, "Usage: randola pick DB COUNT [OPTIONS]\n\nDraws COUNT different..."},
        {{{"--help"}}, "Usage: randola [--data-dir DIR] COMMAND [ARGUMENTS] [OPTIONS]\n..."},
    };
    for (const Case& c : cases) {
        const Cli cli;
        QString out;
        for (const QStringList& command : c.commands) {
            SCOPED_TRACE(command.join(' ').toStdString());
            const Cli::Ran ran = cli.run(command);
            EXPECT_EQ(ran.status, 0);
            EXPECT_EQ(ran.err, "");
            out += ran.out;
        }
        SCOPED_TRACE(c.commands.front().join(' ').toStdString());
        expectText(out, cli.paths(c.out));
        if (!c.holds.isEmpty()) {
            EXPECT_EQ(cli.files().at(c.file), c.holds);
        }
    }
}

TEST(CommandLine, EachFailureIsOneLineAStatusOfItsKindAndChangesNothing) {
    enum class Setup { None, FailingStore, HeldByAnother, DamagedHistory };
    struct Case {
        QStringList arguments;
        int status;
        QString err;  // after "randola: "
        Setup setup = Setup::None;
        QString out = {};  // what was done before it failed
    };
    const QString busy =
        "the database \"club\" is in use by another copy of RANDOLA; nothing was done, try again "
        "later";
    const QStringList import = {"import", "club", "%E/two.csv", "--fields", "NAME,TOWN"};
    const QString surveyed = "2 records read from %E/two.csv\n";
    const QString unnamed =
        "name the fields of the file's columns in order with --fields (the fields of \"club\" "
        "are NAME,TOWN)";
    const Case cases[] = {
        {{"pick", "nosuch", "1"}, 3, "there is no database \"nosuch\" in %F"},
        {{"fields", "../club"}, 3, "there is no database \"../club\" in %F"},
        {{"report", "club", "--pick", "07-04-2004 10:00:00"}, 3,
         "\"club\" has no pick made on 07-04-2004 10:00:00"},
        {{"pick", "club", "5"}, 4,
         "5 picks were asked for, but \"club\" holds only 4 records; nothing was picked"},
        {{"pick", "club", "4"}, 4,
         "You asked for 4 picks, but only 3 of the 4 records can be drawn: the others are "
         "omitted from picks. Nothing was picked."},
        {{"import", "club", "%E/none.csv", "--fields", "NAME"}, 5,
         "the file %E/none.csv cannot be read: there is no such file"},
        {{"import", "club", "%E", "--fields", "NAME"}, 5,
         "the file %E cannot be read: it is not a readable file"},
        {{"pick", "club", "1"}, 6, busy, Setup::HeldByAnother},
        {import, 6, busy, Setup::HeldByAnother, surveyed},
        // Refused half way: the first write is taken, the next refused.
        {{"pick", "club", "2"}, 1, "The pick could not be stored, so nothing was picked...",
         Setup::FailingStore},
        {import, 1, "the file could not be imported; no records were added...", Setup::FailingStore,
         surveyed},
        {{"create", "club", "NAME"}, 1, "there is already a database \"club\"; nothing was changed"},
        {{"check", "club"}, 7, "the database \"club\" is damaged", Setup::DamagedHistory,
         "damaged\nclub.hst: The file is damaged: its tables are not as RANDOLA writes them.\n"},
        {{"pick", "club", "two"}, 2,
         "the number of picks must be a whole number of 1 or more, not \"two\""},
        {{"pick", "club"}, 2, "randola pick takes DB COUNT, not 1 arguments (see randola --help)"},
        {{"draw", "club"}, 2, "there is no command \"draw\" (see randola --help)"},
        {{"history", "club", "--csv"}, 2, "Unknown option 'csv'. (see randola --help)"},
        {{"import", "club", "%E/two.csv"}, 2, unnamed},
        {{"import", "club", "%E/short.csv"}, 2, unnamed},
        {{"import", "club", "%E/twice.csv"}, 2, unnamed},
        {{"import", "club", "%E/unknown.csv"}, 2, unnamed},
        {{"import", "club", "%E/two.csv", "--fields", "NAME,AGE"}, 2,
         "\"club\" has no field \"AGE\"; its fields are NAME,TOWN"},
        {{"export", "club", "%E/out", "--format", "pdf"}, 2,
         "--format is csv, html or text, not \"pdf\""},
        {{"export", "club", "%E/out.html"}, 2,
         "a whole database is exported as csv; html and text are for a pick's results "
         "(--pick-results)"},
        {{"create", "shop", "NAME,CITY2"}, 2,
         "\"CITY2\" cannot be a field name: You can only use characters 'A' thru 'Z' in a field "
         "name."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Cli cli;
        if (c.setup == Setup::DamagedHistory) {
            sqlite3* db = nullptr;
            sqlite3_open(cli.db.folder.folder().historyFile("club").toUtf8().constData(), &db);
            sqlite3_exec(db, "DROP INDEX key1", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }
        const auto before = cli.files();
        Cli::Ran ran;
        if (c.setup == Setup::HeldByAnother) {
            const HeldByAnother other(cli.db.folder.folder().dataFile("club"));
            ran = cli.run(c.arguments);
        } else {
            if (c.setup == Setup::FailingStore) trm_FailAfter(1, TrmCode::IoError);
            ran = cli.run(c.arguments);
            trm_FailAfter(-1, 0);
        }
        EXPECT_EQ(ran.status, c.status);
        EXPECT_EQ(ran.out, cli.paths(c.out));
        EXPECT_EQ(ran.err.count('\n'), 1) << ran.err.toStdString();
        expectText(ran.err.trimmed(), cli.paths("randola: " + c.err));
        EXPECT_EQ(cli.files(), before);
    }
}

TEST(CommandLine, ProgressIsDrawnOnlyOnATerminalAndWipedAfter) {
    const Cli cli;
    const Cli::Ran ran = cli.run({"import", "club", "%E/two.csv", "--fields", "NAME,TOWN"}, true);
    EXPECT_EQ(ran.status, 0);
    EXPECT_TRUE(ran.err.startsWith("\rReading the file 100%")) << ran.err.toStdString();
    EXPECT_TRUE(ran.err.contains("\rImporting 100%"));
    EXPECT_TRUE(ran.err.endsWith("\r\033[K"));
    EXPECT_EQ(ran.out.count('\n'), 2);  // the outcome alone
}

TEST(CommandLine, ADatabaseOfTheEarlierVersionIsConvertedBeforeACommandUsesIt) {
    const Cli cli;
    const DataFolder& folder = cli.db.folder.folder();
    DefinitionFile::Write(folder.definitionFile("old"), {"NAME"});
    DataRecord zoe = PickDatabase::entry({"Zo\xEB"});  // Windows-1252, as that version kept it
    WriteEarlierVersionFile(folder.dataFile("old"), {"NAME"}, {RecordToString(zoe)});
    WriteEarlierVersionFile(folder.historyFile("old"), {"NAME"}, {});
    EXPECT_EQ(cli.run({"list"}).out, "club\t4\nold\t?\n");  // listing converts nothing

    const Cli::Ran picked = cli.run({"pick", "old", "1"});
    EXPECT_EQ(picked.status, 0);
    EXPECT_EQ(picked.err, "");
    EXPECT_EQ(picked.out.toStdString(), "07-04-2004 14:05:09\nZoë\n");
    EXPECT_EQ(cli.run({"list"}).out, "club\t4\nold\t1\n");
}
