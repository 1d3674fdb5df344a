#pragma once
// Writing a file in place of another so that a failure loses nothing.

#include <QIODevice>
#include <QString>

#include <functional>
#include <stdexcept>

// A write that failed; what() is the system's text.
struct WriteFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Writes a new file in place of fileName: write hands it every byte and
// returns false when a write fails. The file is replaced only once every
// byte is written and flushed, so a failure leaves an earlier file of that
// name as it was and no partial file behind; a writable file in a folder
// that is not writable is written in place instead, its space reserved
// first. A pipe or a device at the name is refused and left as it was.
// Throws FileFailure("create", ...) when the file cannot be made, and
// WriteFailure when a write fails.
void ReplaceFileWith(const QString& fileName, const std::function<bool(QIODevice& file)>& write);
