#pragma once

#include "text/failure.h"

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace tolvane {

// The one failure type of the program. Every database operation, conversion and
// check that fails raises it; it carries the driver's (or converter's) message and
// the statement that was being run, so the operator's one message can offer both
// as detail. Where it is raised, it is given the kind of failure the clerk must tell
// apart (a run already working, a file held by another program, a refused list row)
// with the facts that name it; the kind picks the Thai sentence the clerk reads.
class Error : public std::runtime_error {
public:
    Error(const QString& message, const QString& statement = QString())
        : std::runtime_error(
              (message + (statement.isEmpty() ? QString() : "\n" + statement)).toStdString()),
          message_(message), statement_(statement) {}
    Error(Failure kind, const QStringList& facts, const QString& message,
          const QString& statement = QString())
        : Error(message, statement) {
        kind_ = kind;
        facts_ = facts;
    }

    const QString& message() const { return message_; }
    const QString& statement() const { return statement_; }
    Failure kind() const { return kind_; }
    const QStringList& facts() const { return facts_; }

    // The same error as another kind, for a caller that knows better what it means.
    Error As(Failure kind, const QStringList& facts) const {
        return Error(kind, facts, message_, statement_);
    }

    // Message and statement on separate lines: what the operator sees as detail.
    QString detail() const {
        return statement_.isEmpty() ? message_ : message_ + "\n" + statement_;
    }
    // What happened and what to do, in the clerk's words.
    QString advice() const { return ThaiSentence(kind_, facts_); }

private:
    QString message_;
    QString statement_;
    Failure kind_ = Failure::Unexpected;
    QStringList facts_;
};

} // namespace tolvane
