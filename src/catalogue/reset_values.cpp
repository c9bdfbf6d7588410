#include "catalogue/reset_values.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qsp {

namespace {

constexpr std::size_t kResetEnd = 254;  // indices 0..253 have factory values

// Every factory value other than 255, by index.
constexpr std::pair<std::uint8_t, std::uint8_t> kFactory[] = {
    {0, 213},  {1, 1},    {2, 48},   {9, 13},   {10, 0},  {11, 6},   {12, 48},   {18, 5},
    {19, 6},   {20, 48},  {23, 5},   {24, 11},  {25, 48}, {28, 4},   {29, 6},    {30, 48},
    {33, 4},   {34, 6},   {35, 48},  {38, 4},   {39, 6},  {40, 48},  {43, 4},    {44, 6},
    {45, 32},  {48, 4},   {49, 6},   {50, 48},  {53, 0},  {54, 1},   {55, 48},   {58, 2},
    {59, 1},   {60, 48},  {63, 135}, {64, 135}, {67, 7},  {68, 7},   {71, 7},    {72, 7},
    {75, 15},  {76, 15},  {79, 0},   {80, 6},   {81, 48}, {84, 131}, {85, 0},    {86, 5},
    {87, 48},  {96, 0},   {100, 1},  {101, 74}, {104, 0}, {105, 0},  {122, 0},   {139, 0},
    {140, 1},  {141, 3},  {142, 6},  {143, 19}, {144, 0}, {145, 0},  {146, 0},   {147, 0},
    {148, 0},  {149, 32}, {150, 2},  {151, 0},  {152, 6}, {153, 0},  {154, 12},  {155, 170},
    {156, 0},  {159, 0},  {161, 0},  {162, 1},  {171, 3}, {172, 30}, {173, 3},   {174, 0},
    {175, 49}, {176, 13}, {177, 10}, {178, 48}, {180, 1}, {181, 2},  {223, 170},
};

constexpr std::array<std::uint8_t, kResetEnd> MakeFactoryTable() {
    std::array<std::uint8_t, kResetEnd> table{};
    for (auto& b : table)
        b = 255;
    for (const auto& [index, value] : kFactory)
        table[index] = value;
    return table;
}

constexpr std::array<std::uint8_t, kResetEnd> kFactoryTable = MakeFactoryTable();

constexpr std::size_t kComputerType = 139;
constexpr std::size_t kInterface = 140;
constexpr std::size_t kTerminator = 141;
constexpr std::uint8_t kVirtualCom = 4;

constexpr std::size_t kFormatsFirst = 256;
constexpr std::size_t kFormatsLast = 512;

}  // namespace

std::uint8_t ResetValue(std::size_t index) {
    return index < kResetEnd ? kFactoryTable[index] : 0;
}

void ResetImage(ImageBytes& image, int hostLink, int& currentPage) {
    for (std::size_t i = 0; i < kResetEnd; ++i) {
        if (i >= kComputerType && i <= kTerminator) continue;
        image[i] = kFactoryTable[i];
    }
    switch (hostLink) {
        case 1:  // USB
            image[kComputerType] = 1;
            image[kInterface] = 3;
            image[kTerminator] = 2;
            break;
        case 2:  // PS/2 keeps whatever the scanner reported
            break;
        default:  // RS-232
            image[kComputerType] = 0;
            if (image[kInterface] != kVirtualCom) {
                image[kInterface] = 1;
                image[kTerminator] = 3;
            }
            break;
    }
    std::fill(image.begin() + kFormatsFirst, image.begin() + kFormatsLast + 1, std::uint8_t{0});
    currentPage = std::min(currentPage, kLastPageAfterReset);
}

}  // namespace qsp
