#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

// Sets the omit flag of every omitted record back to "F", in one transaction:
// all omitted records are cleared, or (on a failure) none. Only a flag that is
// exactly "T" counts as omitted; any other value is left as it is.
class ClearOmits {
public:
    // Told after each batch how many of the omitted records are done and how
    // many there are; a window moves its bar and lets events through.
    using Progress = std::function<void(qint64 done, qint64 total)>;

    struct Outcome {
        bool ok = false;
        qint64 cleared = 0;  // records rewritten (0 when not ok: nothing was kept)
        int code = 0;        // the record manager's code of a failure
        QString reason;      // for the user, when not ok
    };

    static constexpr qint64 BatchSize = 2000;

    static Outcome run(int dataHandle, const Progress& progress = {});
};
