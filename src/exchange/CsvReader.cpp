#include "exchange/CsvReader.h"

#include <csv.h>

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// What the parser's callbacks need between blocks.
struct ParseState {
    const CsvReader::Value* value;
    const CsvReader::RowEnd* rowEnd;
    qint64 line = 1;       // line of the file being fed to the parser
    qint64 valueLine = 0;  // line on which the value being read began; 0 between rows
    qint64 rowLine = 1;    // line on which the current row began
    qint64 inRow = 0;      // values of the current row so far
    bool stopped = false;
};

void valueEnded(void* bytes, std::size_t length, void* data) {
    auto* state = static_cast<ParseState*>(data);
    if (state->stopped) return;
    if (state->inRow == 0) state->rowLine = state->valueLine ? state->valueLine : state->line;
    ++state->inRow;
    // The next value begins where this one ended, on the line being fed.
    state->valueLine = state->line;
    const QByteArrayView view(static_cast<const char*>(bytes), qsizetype(length));
    if (!(*state->value)(view)) state->stopped = true;
}

void rowEnded(int /*terminator*/, void* data) {
    auto* state = static_cast<ParseState*>(data);
    if (state->stopped) return;
    (*state->rowEnd)(state->inRow, state->rowLine);
    state->inRow = 0;
    state->valueLine = 0;
}

// RAII for the parser.
class Parser {
public:
    Parser() { ok_ = csv_init(&parser_, 0) == 0; }
    ~Parser() {
        if (ok_) csv_free(&parser_);
    }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    bool ok() const { return ok_; }
    bool feed(const char* bytes, std::size_t length, ParseState& state) {
        return csv_parse(&parser_, bytes, length, valueEnded, rowEnded, &state) == length;
    }
    bool finish(ParseState& state) { return csv_fini(&parser_, valueEnded, rowEnded, &state) == 0; }

    // A value opened by a quote whose closing quote has not come yet.
    bool insideQuotes() const { return parser_.quoted && parser_.pstate == kInsideQuotes; }
    // Bytes of the value being read, which the parser holds until it ends.
    std::size_t pendingBytes() const { return parser_.entry_pos; }

private:
    static constexpr int kInsideQuotes = 2;  // the parser's state within a field begun
    csv_parser parser_{};
    bool ok_ = false;
};

// Feeds a block to the parser a line at a time, so that each value knows the
// line it is on. A line ends at LF, at CR LF, or at a CR alone.
class LineFeeder {
public:
    LineFeeder(Parser& parser, ParseState& state) : parser_(parser), state_(state) {}

    bool feed(const char* bytes, qsizetype length) {
        qsizetype start = 0;
        for (qsizetype i = 0; i < length && !state_.stopped; ++i) {
            const char c = bytes[i];
            if (c != '\n' && c != '\r') continue;
            noteRowStart(bytes + start, i - start);
            if (!parser_.feed(bytes + start, std::size_t(i + 1 - start), state_)) return false;
            start = i + 1;
            const bool afterCr = i > 0 ? bytes[i - 1] == '\r' : lastWasCr_;
            if (c == '\r' || !afterCr) ++state_.line;
        }
        if (length > 0) lastWasCr_ = bytes[length - 1] == '\r';
        if (start < length && !state_.stopped) {
            noteRowStart(bytes + start, length - start);
            return parser_.feed(bytes + start, std::size_t(length - start), state_);
        }
        return true;
    }

private:
    // Between rows, the next row begins on the first line that holds more
    // than blanks (the parser skips empty lines), even when its first value,
    // in quotes, runs on over several lines.
    void noteRowStart(const char* bytes, qsizetype length) {
        if (state_.valueLine != 0) return;
        const bool blank = std::all_of(bytes, bytes + length, [](char c) {
            return c == ' ' || c == '\t' || c == '\r' || c == '\n';
        });
        if (!blank) state_.valueLine = state_.line;
    }

    Parser& parser_;
    ParseState& state_;
    bool lastWasCr_ = false;  // the block before ended in CR
};

CsvReader::Outcome failed(CsvReader::Status status, const QString& reason) {
    return CsvReader::Outcome{status, reason};
}

CsvReader::Outcome unreadable(const QFile& file) {
    return failed(
        CsvReader::Status::Unreadable,
        QStringLiteral("The file could not be read.\r\n(") + file.errorString() + QLatin1Char(')'));
}

// No value of a record comes near this; a quoted value that runs on past it
// is a quote never closed, and reading on would hold the rest of the file.
// An unquoted value that long is no list of values at all.
constexpr std::size_t kLongestValue = 1024 * 1024;

CsvReader::Outcome unclosedQuote(qint64 line, const char* how) {
    return failed(CsvReader::Status::NotText,
                  QStringLiteral("The quoted value that begins on line %1 %2.")
                      .arg(line)
                      .arg(QLatin1String(how)));
}

// What a byte-order mark at the start of a file says: UTF-8 (its mark is
// skipped), or UTF-16, which spreadsheets write as "Unicode text" and which is
// read as UTF-8 from then on.
struct ByteOrderMark {
    qsizetype length = 0;
    std::optional<QStringConverter::Encoding> utf16;
};

ByteOrderMark byteOrderMarkOf(const QByteArray& block) {
    if (block.startsWith("\xEF\xBB\xBF")) return {3, std::nullopt};
    if (block.startsWith("\xFF\xFE")) return {2, QStringConverter::Utf16LE};
    if (block.startsWith("\xFE\xFF")) return {2, QStringConverter::Utf16BE};
    return {};
}

}  // namespace

CsvReader::Outcome CsvReader::read(const Value& value, const RowEnd& rowEnd,
                                   const Progress& progress) {
    const QFileInfo info(path_);
    if (!info.exists()) return failed(Status::Missing, QStringLiteral("The file does not exist."));
    if (info.isDir()) {
        return failed(Status::Unreadable, QStringLiteral("That is a folder, not a file."));
    }
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return unreadable(file);

    Parser parser;
    if (!parser.ok()) return failed(Status::Unreadable, QStringLiteral("Out of memory."));
    ParseState state{&value, &rowEnd};
    LineFeeder feeder(parser, state);
    const qint64 size = file.size();
    qint64 done = 0;
    QByteArray block;
    bool first = true;
    std::optional<QStringDecoder> utf16;
    while (!state.stopped) {
        block = file.read(BlockSize);
        if (block.isEmpty()) {
            if (file.error() != QFileDevice::NoError) return unreadable(file);
            break;
        }
        done += block.size();
        if (first) {
            const ByteOrderMark mark = byteOrderMarkOf(block);
            block.remove(0, mark.length);
            if (mark.utf16) utf16.emplace(*mark.utf16);
            first = false;
        }
        // A character split between two blocks is kept by the decoder until its end comes.
        if (utf16) block = QString((*utf16)(block)).toUtf8();
        if (std::memchr(block.constData(), 0, std::size_t(block.size())) != nullptr) {
            return failed(Status::NotText,
                          QStringLiteral("The file is not a text file (it holds NUL bytes)."));
        }
        if (!feeder.feed(block.constData(), block.size())) {
            return failed(Status::Unreadable, QStringLiteral("The file could not be read as CSV."));
        }
        if (parser.pendingBytes() > kLongestValue) {
            if (!parser.insideQuotes()) {
                return failed(Status::NotText,
                              QStringLiteral("The value that begins on line %1 is longer than "
                                             "1 MB, far longer than a field can hold.")
                                  .arg(state.valueLine));
            }
            return unclosedQuote(state.valueLine,
                                 "runs on for more than 1 MB: its closing quote is "
                                 "probably missing");
        }
        if (progress && !progress(done, size)) state.stopped = true;
    }
    if (state.stopped) return Outcome{Status::Stopped, {}};
    if (parser.insideQuotes()) return unclosedQuote(state.valueLine, "is never closed");
    parser.finish(state);
    return state.stopped ? Outcome{Status::Stopped, {}} : Outcome{};
}
