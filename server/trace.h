#pragma once
// One-line descriptions of packets and faults, for the trace file and stderr.
#include <string>

#include "server/packet_reader.h"

namespace server {

// "packet 7 world-coord tid=0x4000 thingct=-73 subunit=17 checksum=0x1234
// x=0x0000 y=0x0000 z=1 t=10 checksum-ok data=73"
std::string trace_line(const ReadItem& item);

// What went wrong with a fault item, for stderr: "packet 7: bad checksum ...".
std::string fault_message(const ReadItem& item);

}  // namespace server
