#include "Resampler.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {
constexpr int zeroCrossings = 16;  // per side of the kernel
constexpr double rolloff = 0.9;    // cutoff as a share of the lower Nyquist frequency
constexpr qint64 tablePhases = 4096; // more phases than this are computed as needed

// The modified Bessel function of the first kind, order 0, by its series.
double besselI0(double x)
{
    double sum = 1, term = 1;
    const double q = x * x / 4;
    for (int k = 1; k < 60; ++k) {
        term *= q / (double(k) * double(k));
        sum += term;
        if (term < sum * 1e-12)
            break;
    }
    return sum;
}
} // namespace

Resampler::Resampler(int sourceRate, int targetRate)
{
    const qint64 g = std::gcd(qint64(sourceRate), qint64(targetRate));
    m_up = targetRate / g;
    m_down = sourceRate / g;
    const double ratio = std::min(1.0, double(m_up) / double(m_down));
    m_cutoff = 0.5 * ratio * rolloff;
    m_half = int(std::ceil(zeroCrossings / (2 * m_cutoff)));
    m_i0Beta = besselI0(m_beta);
    if (m_up <= tablePhases) {
        m_table.resize(size_t(m_up) * size_t(2 * m_half));
        for (qint64 p = 0; p < m_up; ++p)
            coefficients(p, m_table.data() + p * 2 * m_half);
    }
    // The samples before the first one are silence.
    m_base = -(2 * m_half - 1);
    m_input.assign(size_t(2 * m_half - 1), 0.0f);
}

double Resampler::kernel(double t) const
{
    const double x = t / (m_half + 1);
    if (x <= -1 || x >= 1)
        return 0;
    const double w = besselI0(m_beta * std::sqrt(1 - x * x)) / m_i0Beta;
    const double a = 2 * m_cutoff * t;
    const double sinc = a == 0 ? 1 : std::sin(M_PI * a) / (M_PI * a);
    return 2 * m_cutoff * sinc * w;
}

void Resampler::coefficients(qint64 phase, float *out) const
{
    const int taps = 2 * m_half;
    const double frac = double(phase) / double(m_up);
    double sum = 0;
    std::vector<double> h(static_cast<size_t>(taps));
    for (int k = 0; k < taps; ++k) {
        h[size_t(k)] = kernel(frac + m_half - 1 - k);
        sum += h[size_t(k)];
    }
    // Each phase passes a constant signal unchanged.
    for (int k = 0; k < taps; ++k)
        out[k] = float(h[size_t(k)] / sum);
}

void Resampler::process(const float *input, qint64 count, std::vector<float> &output)
{
    m_input.insert(m_input.end(), input, input + count);
    m_received += count;
    const int taps = 2 * m_half;
    std::vector<float> computed(m_table.empty() ? size_t(taps) : 0);
    for (;;) {
        const qint64 position = m_produced * m_down;
        const qint64 at = position / m_up; // the newest input sample this output needs
        if (at >= m_received)
            break;
        const qint64 phase = position % m_up;
        const float *h;
        if (!m_table.empty()) {
            h = m_table.data() + phase * taps;
        } else {
            coefficients(phase, computed.data());
            h = computed.data();
        }
        const float *x = m_input.data() + (at - taps + 1 - m_base);
        float y = 0;
        for (int k = 0; k < taps; ++k)
            y += h[k] * x[k];
        output.push_back(y);
        ++m_produced;
    }
    // Keep only what the next output still needs.
    const qint64 nextFirst = (m_produced * m_down) / m_up - taps + 1;
    if (nextFirst > m_base) {
        const qint64 drop = std::min<qint64>(nextFirst - m_base, qint64(m_input.size()));
        m_input.erase(m_input.begin(), m_input.begin() + drop);
        m_base += drop;
    }
}
