#pragma once

#include <QByteArray>
#include <QByteArrayView>

// How the record manager compares key text. A key is folded by Unicode
// simple case folding (so "ŁUKASZ", "Łukasz" and "łukasz" are one key, and
// "Σ", "σ" and "ς" one letter), and folded keys are ordered by their UTF-8
// bytes as if each were padded with spaces without end: trailing spaces never
// matter, and "ab" + a byte below the space sorts before "ab".
//
// The store keeps each key in the form Key() gives, whose plain byte order
// is that order. For a key without bytes below the space that form is the
// folded key, trimmed of trailing spaces, plus one space.
namespace KeyOrder {

QByteArray Key(QByteArrayView member);

}  // namespace KeyOrder
