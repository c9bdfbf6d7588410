#pragma once
// One host link's configuration exchange: connect, read the parameter block, write it, end.

#include <string>

namespace qsp {

class LinkProtocol {
public:
    virtual ~LinkProtocol() = default;
    // `port` is the CommPort text; only the serial link uses it.
    virtual bool Connect(const std::string& port) = 0;
    virtual bool Read() = 0;
    virtual bool Write() = 0;
    virtual bool Close() = 0;
};

}  // namespace qsp
