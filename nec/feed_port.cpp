#include "nec/feed_port.h"

#include "nec/feed_chain.h"

namespace corvanta::nec {

std::complex<double> MeasuredAtJunction(const FeedOptions& options, std::complex<double> measured, double mhz,
                                        double designMHz) {
    if (options.port != FeedPort::Radio || !options.chain) return measured;
    return JunctionOf(measured, *options.chain, mhz, designMHz);
}

OnePortSweep SweepAtJunction(const FeedOptions& options, const OnePortSweep& measured, double designMHz) {
    if (options.port != FeedPort::Radio || !options.chain) return measured;
    OnePortSweep junction = measured;
    for (std::size_t i = 0; i < junction.mhz.size() && i < junction.reflection.size(); ++i) {
        const auto z = MeasuredAtJunction(options, ImpedanceOf(measured.reflection[i], measured.referenceOhm),
                                          measured.mhz[i], designMHz);
        junction.reflection[i] = ReflectionOf(z, measured.referenceOhm);
    }
    return junction;
}

std::complex<double> ModelAtPort(const FeedOptions& options, std::complex<double> junction, double mhz,
                                 double designMHz) {
    if (options.port != FeedPort::Radio || !options.chain) return junction;
    return RadioEnd(junction, *options.chain, mhz, designMHz);
}

}  // namespace corvanta::nec
