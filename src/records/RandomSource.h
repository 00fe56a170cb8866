#pragma once

#include <QString>
#include <memory>

// Where an ordinary pick takes its key from: one whole number below 2^256,
// which is the pick's one source (see Rfc3797). The program takes it from
// the operating system's random generator at the moment of the pick, so
// nobody can foretell it; tests fix it so that a draw can be repeated.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // In decimal without leading zeros; empty when no number could be had.
    virtual QString number() = 0;
};

// 32 bytes of getrandom(2).
class SystemRandomSource : public RandomSource {
public:
    QString number() override;

    static std::unique_ptr<RandomSource> create();
    // A number of 32 bytes, high byte first, in decimal.
    static QString decimal(const unsigned char (&bytes)[32]);
};

// The same number for every pick.
class FixedRandomSource : public RandomSource {
public:
    explicit FixedRandomSource(QString number) : number_(std::move(number)) {}
    QString number() override { return number_; }

private:
    QString number_;
};
