#pragma once

#include <QString>
#include <stdexcept>

namespace tolvane {

// The one failure type of the program. Every database operation, conversion and
// check that fails raises it; it carries the driver's (or converter's) message and
// the statement that was being run, so the operator's one message can offer both
// as detail.
class Error : public std::runtime_error {
public:
    Error(const QString& message, const QString& statement = QString())
        : std::runtime_error((message + (statement.isEmpty() ? QString() : "\n" + statement))
                                 .toStdString()),
          message_(message), statement_(statement) {}

    const QString& message() const { return message_; }
    const QString& statement() const { return statement_; }

    // Message and statement on separate lines: what the operator sees as detail.
    QString detail() const {
        return statement_.isEmpty() ? message_ : message_ + "\n" + statement_;
    }

private:
    QString message_;
    QString statement_;
};

} // namespace tolvane
