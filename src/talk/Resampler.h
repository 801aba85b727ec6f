#pragma once
#include <QtGlobal>

#include <vector>

// Changes the sample rate of one mono float signal with a polyphase windowed-sinc filter
// (Kaiser window). The filter's history carries from one call to the next, so a signal fed in
// pieces of any size gives the same output as when fed at once. The output lags the input by
// the filter's half length; for N input samples there are ceil(N × target / source) outputs.
class Resampler {
public:
    Resampler(int sourceRate, int targetRate);

    // Appends the output for these input samples.
    void process(const float *input, qint64 count, std::vector<float> &output);

private:
    void coefficients(qint64 phase, float *out) const;
    double kernel(double t) const;

    qint64 m_up = 1;   // L: target rate / gcd
    qint64 m_down = 1; // M: source rate / gcd
    int m_half = 0;    // W: half the taps, in input samples
    double m_cutoff = 0.5; // cycles per input sample
    double m_beta = 6.0;
    double m_i0Beta = 1.0;
    std::vector<float> m_table; // L rows of 2W taps, when L is small enough to keep
    std::vector<float> m_input; // input samples from index m_base on
    qint64 m_base = 0;
    qint64 m_received = 0;
    qint64 m_produced = 0;
};
