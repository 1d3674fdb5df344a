#pragma once
// Runs a modal dialog or box and tells whether it was accepted; tests answer
// in place of the user.

#include <functional>

class QDialog;

using ModalRunner = std::function<bool(QDialog&)>;
