#pragma once

#include <QByteArray>

namespace Enip {

// Where the virtual converter takes the Output array it sends to the PLC: the bytes as the
// converter would place the values received so far. Asked at every production.
class OutputArraySource {
public:
    virtual ~OutputArraySource() = default;
    // The Output array now; the adapter sends exactly its configured size, cutting or padding with
    // zeros what does not fit.
    virtual QByteArray outputArray() const = 0;
};

// Places no value at all: every byte zero. Stands where the model of how the converter places the
// rules' values is not wired in, so that the connection, its sizes and its timing can be tried.
class PlaceholderOutputArray final : public OutputArraySource {
public:
    QByteArray outputArray() const override { return {}; }
};

} // namespace Enip
