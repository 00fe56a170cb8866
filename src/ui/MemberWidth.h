#pragma once

#include <QValidator>

// Keeps a text box to what a record member of `width` bytes holds, so that
// what the box shows is what is saved. The spaces that pad a shown member
// make room as the user types; past that, what was just typed or pasted is
// cut back to the last whole character that fits, as a box with a length
// limit would.
class MemberWidth : public QValidator {
public:
    MemberWidth(int width, QObject* parent) : QValidator(parent), width_(width) {}

    State validate(QString& input, int& position) const override;

private:
    int width_;
};
