#pragma once

#include <QStringList>
#include <initializer_list>

// A string list from UTF-8 literals, for expectations.
inline QStringList Texts(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* t : texts) list << QString::fromUtf8(t);
    return list;
}
