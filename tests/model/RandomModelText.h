#pragma once
#include <cstdint>
#include <random>
#include <string>

// Deterministic random model files: plain ones, odd ones (labels with digits
// and line breaks, counts that do not match, every separator, numbers in every
// spelling the stream handles in its own way) and corrupted ones.
class RandomModelText
{
public:
    explicit RandomModelText(std::uint32_t seed) : random_(seed) {}

    // A whole file with up to maxRecords records.
    std::string File(int maxRecords);
    // A file with exactly this many well-formed records and a matching count.
    std::string PlainFile(int records);
    // The text with a few random edits: replaced, inserted or removed characters.
    std::string Corrupt(std::string text);

    std::string Number();

private:
    int Pick(int n);
    std::string Label();
    std::string Separator();
    std::string CountText(int records);
    std::string AfterSecondColon();
    std::string Sign();
    std::string Digits(int count);
    std::string ShortDecimal();
    std::string RoundTripFloat();
    std::string Tie();
    std::string Scientific();
    std::string LongDigits();
    std::string Extreme();
    std::string Odd();

    std::mt19937 random_;
};
