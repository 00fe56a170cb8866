#include "cli/CommandLine.h"

#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <vector>

#include "cli/CommandContext.h"
#include "cli/CommandFailure.h"
#include "cli/Commands.h"
#include "store/Clock.h"
#include "store/RecordManager.h"
#include "store/StoreError.h"

namespace {

// A line of the help: what to type ("--fields NAMES") and what it does.
struct HelpLine {
    QString names;
    QString text;
};

struct Option {
    HelpLine help;
    QCommandLineOption option;
};

struct Command {
    QString name;
    QString arguments;  // "DB COUNT"
    QString summary;    // a line of the general help
    QString text;       // the command's own help
    std::vector<Option> options;
    void (*run)(const CommandCall&);
};

Option flag(const QString& name, const QString& text) {
    return {{QStringLiteral("--") + name, text}, QCommandLineOption(name)};
}

Option valued(const QString& name, const QString& value, const QString& text) {
    return {{QStringLiteral("--%1 %2").arg(name, value), text},
            QCommandLineOption(name, text, value)};
}

Option json(const QString& what) {
    return flag(QStringLiteral("json"), QStringLiteral("one JSON document: ") + what);
}

const Option& dataDir() {
    static const Option option = valued(
        QStringLiteral("data-dir"), QStringLiteral("DIR"),
        QStringLiteral("the folder of the databases (else RANDOLA_DATA_DIR, else the program's "
                       "folder when it can be written and is no bin folder, else "
                       "$XDG_DATA_HOME/randola3)"));
    return option;
}

const std::vector<Command>& commands() {
    static const std::vector<Command> all = {
        {QStringLiteral("list"), QString(),
         QStringLiteral("the databases and their record counts"),
         QStringLiteral("Lists the databases of the data folder in name order, one a line: its "
                        "name, a tab and its number of records (\"?\" when it cannot be opened, "
                        "for instance one an earlier version wrote and not yet converted)."),
         {json(QStringLiteral("the folder and its databases with their records"))},
         &Commands::List},
        {QStringLiteral("create"), QStringLiteral("DB FIELDS"),
         QStringLiteral("make an empty database with these fields"),
         QStringLiteral("Makes the empty database DB with the fields FIELDS, up to twelve names of "
                        "letters A to Z separated by commas, the first being the one records are "
                        "sorted by. A database of that name is not replaced."),
         {},
         &Commands::Create},
        {QStringLiteral("fields"), QStringLiteral("DB"),
         QStringLiteral("the field names of a database"),
         QStringLiteral("Prints the names of the fields of DB, one a line, in their order."),
         {json(QStringLiteral("the database and its fields"))},
         &Commands::Fields},
        {QStringLiteral("pick"), QStringLiteral("DB COUNT"),
         QStringLiteral("draw COUNT records at random and keep them in the history"),
         QStringLiteral(
             "Draws COUNT different records of DB at random among those not omitted from "
             "picks, stamps each with the date and one more pick, and keeps them in the "
             "history, as the record window's pick does: all of it or, when it cannot be done, "
             "nothing. Prints the pick's date and time, then one line per record drawn, in "
             "draw order, its fields separated by tabs."),
         {json(QStringLiteral("the database, date, time, fields and the records drawn"))},
         &Commands::Pick},
        {QStringLiteral("import"), QStringLiteral("DB FILE"),
         QStringLiteral("add the records of a CSV file"),
         QStringLiteral(
             "Adds the records of the comma-separated FILE to DB, in one go: every record or, "
             "when it fails, none. The values are taken as many at a time as DB has fields, "
             "whatever lines they stand on. Prints how many records the file gives, what may "
             "be wrong with it, and how many were added."),
         {valued(QStringLiteral("fields"), QStringLiteral("NAMES"),
                 QStringLiteral("the fields the file's columns go to, in order, separated by "
                                "commas (needed unless the file's first line names every field)")),
          flag(QStringLiteral("skip-first-line"),
               QStringLiteral("the first line holds no record (taken as given when it names "
                              "every field)"))},
         &Commands::Import},
        {QStringLiteral("export"), QStringLiteral("DB FILE"),
         QStringLiteral("write the records, or a pick's results, to a file"),
         QStringLiteral(
             "Writes every record of DB, in the order of its first field, to FILE as CSV; or, "
             "with --pick-results, the records of the latest pick (or of the pick --pick "
             "names) as CSV, HTML or text. FILE gets the format's extension (.csv, .html, .txt) "
             "when it has not got it; an earlier file of that name is replaced only once the new "
             "one is whole."),
         {flag(QStringLiteral("pick-results"), QStringLiteral("the records of the latest pick")),
          valued(QStringLiteral("pick"), QStringLiteral("\"DATE TIME\""),
                 QStringLiteral("the records of this pick, as \"randola history\" lists it")),
          valued(QStringLiteral("format"), QStringLiteral("FORMAT"),
                 QStringLiteral("csv, html or text (else from FILE's extension, else csv)")),
          valued(QStringLiteral("fields"), QStringLiteral("NAMES"),
                 QStringLiteral("the columns, separated by commas: field names and \"Date "
                                "Entered\", \"Last Picked\", \"Times Picked\", \"Omit\", "
                                "\"Notes\" (else every field)")),
          flag(QStringLiteral("header"), QStringLiteral("a first row naming the columns"))},
         &Commands::Export},
        {QStringLiteral("history"), QStringLiteral("DB"), QStringLiteral("the past picks"),
         QStringLiteral("Lists the past picks of DB, newest first, one a line: its date and "
                        "time as mm-dd-yyyy hh:mm:ss."),
         {json(QStringLiteral("the database and its picks"))},
         &Commands::History},
        {QStringLiteral("report"), QStringLiteral("DB"),
         QStringLiteral("the listing, or one pick's records, as text"),
         QStringLiteral("Prints the listing report of DB, every record in the order of its "
                        "first field, as the Print Listing window shows it; or, with --pick, "
                        "the report of that pick's records."),
         {valued(QStringLiteral("pick"), QStringLiteral("\"DATE TIME\""),
                 QStringLiteral("the pick, as \"randola history\" lists it"))},
         &Commands::Report},
        {QStringLiteral("check"), QStringLiteral("DB"),
         QStringLiteral("look for damage in a database's files"),
         QStringLiteral("Reads every page of the data and history files of DB, as Tools, Check "
                        "Database does. Prints \"sound\", or \"damaged\" and then what was "
                        "found, one a line; a damaged database ends with status 7."),
         {},
         &Commands::Check},
    };
    return all;
}

const Command* commandNamed(const QString& name) {
    for (const Command& command : commands()) {
        if (command.name == name) return &command;
    }
    return nullptr;
}

// Text wrapped to a terminal's 80 columns, the lines after the first
// indented by `indent` (the first stands where the caller has put it).
QString wrapped(const QString& text, int indent, int first = 0) {
    constexpr int kWidth = 79;
    QString lines, line;
    int room = kWidth - first;
    for (const QString& word : text.split(QLatin1Char(' '))) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > room) {
            lines += line + QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            line.clear();
            room = kWidth - indent;
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return lines + line + QLatin1Char('\n');
}

// The help's option lines: the names, and the text beside them or under them
// when the names are long.
QString helpLines(const std::vector<HelpLine>& help) {
    constexpr int kColumn = 24;
    QString lines;
    for (const HelpLine& line : help) {
        QString names = QStringLiteral("  ") + line.names;
        names = names.size() < kColumn ? names.leftJustified(kColumn)
                                       : names + QLatin1Char('\n') + QString(kColumn, ' ');
        lines += names + wrapped(line.text, kColumn, kColumn);
    }
    return lines;
}

QString exitStatuses() {
    return QStringLiteral(
        "Exit status: 0 done; 1 failed, and nothing was changed; 2 bad arguments;\n"
        "3 no such database or pick; 4 not enough records to pick; 5 the file cannot\n"
        "be read; 6 the database is in use by another copy of RANDOLA.\n");
}

QString generalHelp() {
    QString text = QStringLiteral(
        "Usage: randola [--data-dir DIR] COMMAND [ARGUMENTS] [OPTIONS]\n"
        "       randola [--data-dir DIR] [--update-url URL]\n\n"
        "RANDOLA keeps small flat databases of entries and draws entries from them at\n"
        "random. Started without a command it opens its window; with one, it runs that\n"
        "command without a window and ends.\n\nCommands:\n");
    std::vector<HelpLine> lines;
    for (const Command& command : commands())
        lines.push_back({(command.name + QLatin1Char(' ') + command.arguments).trimmed(),
                         command.summary});
    lines.push_back({QStringLiteral("help COMMAND"), QStringLiteral("what a command does and its options")});
    text += helpLines(lines);
    text += QStringLiteral("\nOptions:\n") +
            helpLines({dataDir().help,
                       {QStringLiteral("--update-url URL"),
                        QStringLiteral("where the window's update check asks (else "
                                       "RANDOLA_UPDATE_URL)")},
                       {QStringLiteral("-h, --help"), QStringLiteral("this help")},
                       {QStringLiteral("-v, --version"), QStringLiteral("the version")}});
    return text + QLatin1Char('\n') + exitStatuses();
}

QString commandHelp(const Command& command) {
    QString usage = QStringLiteral("Usage: randola %1").arg(command.name);
    if (!command.arguments.isEmpty()) usage += QLatin1Char(' ') + command.arguments;
    usage += QStringLiteral(" [OPTIONS]\n\n");
    std::vector<HelpLine> options;
    for (const Option& option : command.options) options.push_back(option.help);
    options.push_back(dataDir().help);
    return usage + wrapped(command.text, 0) + QStringLiteral("\nOptions:\n") + helpLines(options) +
           QLatin1Char('\n') + exitStatuses();
}

void write(const CommandContext& context, const QString& text) {
    context.out.write(text.toUtf8());
}

CommandFailure badArguments(const QString& why) {
    return CommandFailure(ExitStatus::BadArguments,
                          why + QStringLiteral(" (see randola --help)"));
}

// The first argument that is no option nor an option's value: the command's
// name, or nothing.
QString firstWord(const QStringList& arguments) {
    // Options that take the next argument as their value: ours, and those
    // that Qt takes from a window program's command line.
    static const QSet<QString> valued = {
        QStringLiteral("data-dir"),   QStringLiteral("update-url"),  QStringLiteral("fields"),
        QStringLiteral("format"),     QStringLiteral("pick"),        QStringLiteral("platform"),
        QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),     QStringLiteral("qmljsdebugger"), QStringLiteral("display"),
        QStringLiteral("geometry"),   QStringLiteral("style"),       QStringLiteral("stylesheet"),
        QStringLiteral("session"),    QStringLiteral("title"),       QStringLiteral("name"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowtitle"),
        QStringLiteral("qwindowicon"), QStringLiteral("dialogs")};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == QLatin1String("--")) return i + 1 < arguments.size() ? arguments.at(i + 1) : QString();
        if (a.size() < 2 || !a.startsWith(QLatin1Char('-'))) return a;
        const QString bare = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
        if (valued.contains(bare)) ++i;
    }
    return {};
}

bool asksHelpOrVersion(const QStringList& arguments) {
    static const QSet<QString> asks = {QStringLiteral("-h"), QStringLiteral("--help"),
                                       QStringLiteral("--help-all"), QStringLiteral("-v"),
                                       QStringLiteral("--version")};
    for (const QString& a : arguments.mid(1)) {
        if (a == QLatin1String("--")) break;
        if (asks.contains(a)) return true;
    }
    return false;
}

int run(const QStringList& arguments, const CommandContext& context) {
    const QString name = firstWord(arguments);
    const Command* command = commandNamed(name);
    if (!command && !name.isEmpty() && name != QLatin1String("help"))
        throw badArguments(QStringLiteral("there is no command \"%1\"").arg(name));

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(dataDir().option);
    bool json = false;
    if (command) {
        for (const Option& option : command->options) {
            parser.addOption(option.option);
            json = json || option.option.names().contains(QStringLiteral("json"));
        }
    }
    if (!parser.parse(arguments)) throw badArguments(parser.errorText());
    const QStringList positional = parser.positionalArguments().mid(1);

    if (parser.isSet(version)) {
        write(context, QStringLiteral("randola %1\n").arg(QLatin1String(CommandLine::Version)));
        return 0;
    }
    if (!command) {  // help, or help alone
        if (positional.isEmpty() || parser.isSet(help)) {
            write(context, generalHelp());
            return 0;
        }
        const Command* asked = commandNamed(positional.first());
        if (!asked || positional.size() > 1)
            throw badArguments(QStringLiteral("there is no command \"%1\"").arg(positional.join(' ')));
        write(context, commandHelp(*asked));
        return 0;
    }
    if (parser.isSet(help)) {
        write(context, commandHelp(*command));
        return 0;
    }
    const qsizetype wanted = command->arguments.isEmpty()
                                 ? 0
                                 : command->arguments.split(QLatin1Char(' ')).size();
    if (positional.size() != wanted) {
        throw badArguments(QStringLiteral("%1 takes %2, not %3 arguments")
                               .arg(QStringLiteral("randola ") + command->name,
                                    command->arguments.isEmpty() ? QStringLiteral("no arguments")
                                                                 : command->arguments)
                               .arg(positional.size()));
    }
    const CommandCall call{context,
                           DataFolder::resolve(arguments, context.programFolder),
                           parser,
                           positional,
                           json && parser.isSet(QStringLiteral("json"))};
    command->run(call);
    return 0;
}

}  // namespace

namespace CommandLine {

bool Wanted(const QStringList& arguments) {
    return !firstWord(arguments).isEmpty() || asksHelpOrVersion(arguments);
}

int Run(const QStringList& arguments, const CommandContext& context) {
    try {
        return run(arguments, context);
    } catch (const CommandFailure& failure) {
        context.err.write(QStringLiteral("randola: %1\n").arg(failure.message()).toUtf8());
        return int(failure.status());
    } catch (const StoreError& error) {
        context.err.write(QStringLiteral("randola: %1\n").arg(error.message().simplified()).toUtf8());
        return int(ExitStatus::Failed);
    }
}

int Main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("randola"));
    QCoreApplication::setApplicationVersion(QLatin1String(Version));
    QFile out, err;
    // Unbuffered here, so that the C library's own buffering rules: a line at
    // a time to a terminal (an import's preview before its progress), in
    // blocks to a pipe.
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    const SystemClock clock;
    const CommandContext context{out, err, isatty(STDERR_FILENO) == 1,
                                 QCoreApplication::applicationDirPath(), clock};
    const int status = Run(QCoreApplication::arguments(), context);
    trm_CloseAll();
    out.close();
    return status;
}

}  // namespace CommandLine
