// A run-time error as the handlers pass it on: a number, a description and the routine it came from.
// One that reaches an event handler untrapped ends the program after showing its number and description.
#pragma once

#include <QString>
#include <exception>

class VbError : public std::exception
{
public:
    VbError(int number, const QString& description, const QString& source)
        : m_number(number), m_description(description), m_source(source), m_what(description.toUtf8())
    {}

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const QString& source() const { return m_source; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

namespace VbErrors {

// Error numbers of the classic run time that the game raises.
constexpr int ResourceNotFound = 326;
constexpr int InvalidPicture = 481;

// The program's name without extension, as error sources start with it.
QString programName();

} // namespace VbErrors
