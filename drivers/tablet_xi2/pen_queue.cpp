#include "pen_queue.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

namespace mve::xi2 {

bool is_eraser_name(const char* name)
{
    if (!name) return false;
    std::string lower(name);
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("eraser") != std::string::npos;
}

MveTabletAxis pressure_axis(const Pen& pen)
{
    MveTabletAxis axis{};
    axis.min = int32_t(std::floor(pen.pressureMin));
    axis.max = int32_t(std::ceil(pen.pressureMax));
    return axis;
}

namespace {

uint32_t to_pressure(double value)
{
    if (!(value > 0.0)) return 0;  // also NaN
    if (value >= 4294967295.0) return UINT32_MAX;
    return uint32_t(std::lround(value));
}

int32_t to_pixel(double value)
{
    if (!(std::fabs(value) < 2147483647.0)) return 0;
    return int32_t(std::floor(value));
}

}  // namespace

MveTabletPacket make_packet(Pen& pen, double rootX, double rootY, const unsigned char* mask, int maskBytes,
                            const double* values)
{
    // Values are packed: the k-th set bit of the mask owns values[k].
    int k = 0;
    for (int bit = 0; bit < maskBytes * 8; ++bit) {
        if (!(mask[bit >> 3] & (1u << (bit & 7)))) continue;
        if (bit == pen.pressureNumber) pen.lastPressure = to_pressure(values[k]);
        ++k;
    }
    MveTabletPacket p{};
    p.status = pen.eraser ? MVE_TPS_INVERT : 0;
    p.x = to_pixel(rootX);
    p.y = to_pixel(rootY);
    p.pressure = pen.lastPressure;
    return p;
}

int PacketQueue::set_size(int size)
{
    if (size < 1 || size > kMaxSize) return 0;
    capacity_ = size;
    trim();
    return 1;
}

void PacketQueue::push(const MveTabletPacket& packet)
{
    packets_.push_back(packet);
    trim();
}

void PacketQueue::trim()
{
    while (int(packets_.size()) > capacity_) packets_.pop_front();
}

int PacketQueue::take(int max, MveTabletPacket* out)
{
    int n = 0;
    while (n < max && !packets_.empty()) {
        if (out) out[n] = packets_.front();
        packets_.pop_front();
        ++n;
    }
    return n;
}

}  // namespace mve::xi2
