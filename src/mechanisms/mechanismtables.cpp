#include "mechanismtables.h"

namespace ingranix::detail {

namespace {

using enum Calculation;

constexpr Entry none{};
constexpr Entry C11{1, 1}, C12{1, 2}, C13{1, 3}, C14{1, 4};
constexpr Entry C21{2, 1}, C22{2, 2}, C23{2, 3}, C24{2, 4};
constexpr Entry C31{3, 1}, C32{3, 2}, C33{3, 3}, C34{3, 4};
constexpr Entry C41{4, 1}, C42{4, 2}, C43{4, 3}, C44{4, 4};

// The tables are laid out in columns, one per gear colour.
// clang-format off

// Level 1: add C(1,1), subtract C(1,2), parity, threshold C(1,4).
constexpr LevelTable level1{{
    //                     rosso             verde              blu               grigio
    /* Mechanism1_1 */ {{{{Add, C11},       {Subtract, C12},   {Parity, none},   {ThresholdUnadjusted, C14}}}},
    /* Mechanism1_2 */ {{{{Threshold, C14}, {Parity, none},    {Subtract, C12},  {Add, C11}}}},
    /* Mechanism1_3 */ {{{{Subtract, C12},  {Add, C11},        {Threshold, C14}, {Parity, none}}}},
    /* Mechanism1_4 */ {{{{Parity, none},   {Threshold, C14},  {Add, C11},       {Subtract, C12}}}},
    /* Mechanism1_5 */ {{{{Subtract, C12},  {Add, C11},        {Parity, none},   {Threshold, C14}}}},
    /* Mechanism1_6 */ {{{{Add, C11},       {ParityOnX, none}, {Subtract, C12},  {ThresholdOnX, C14}}}},
    /* Mechanism1_7 */ {{{{Threshold, C14}, {Subtract, C12},   {Parity, none},   {Add, C11}}}},
    /* Mechanism1_8 */ {{{{Add, C11},       {Subtract, C12},   {Subtract, C12},  {Threshold, C14}}}},
    /* Mechanism1_9 */ {{{{Subtract, C12},  {Add, C11},        {Threshold, C14}, {Parity, none}}}},
}};

// Level 2: add C(2,1), multiply C(2,2), subtract to zero C(2,3), quotient C(2,4).
constexpr LevelTable level2{{
    //                     rosso                  verde                  blu                    grigio
    /* Mechanism2_1 */ {{{{Add, C21},            {Multiply, C22},       {SubtractToZero, C23}, {Quotient, C24}}}},
    /* Mechanism2_2 */ {{{{Multiply, C22},       {Add, C21},            {SubtractToZero, C23}, {Quotient, C24}}}},
    /* Mechanism2_3 */ {{{{SubtractToZero, C23}, {Multiply, C22},       {Add, C21},            {QuotientOnX, C24}}}},
    /* Mechanism2_4 */ {{{{QuotientOnX, C24},    {Multiply, C22},       {SubtractToZero, C23}, {Add, C21}}}},
    /* Mechanism2_5 */ {{{{Add, C21},            {SubtractToZero, C23}, {Multiply, C22},       {Quotient, C24}}}},
    /* Mechanism2_6 */ {{{{Add, C21},            {SubtractToZero, C23}, {Quotient, C24},       {Multiply, C22}}}},
    /* Mechanism2_7 */ {{{{Add, C21},            {Quotient, C24},       {SubtractToZero, C23}, {Multiply, C22}}}},
    /* Mechanism2_8 */ {{{{Multiply, C22},       {Quotient, C24},       {Add, C21},            {SubtractToZero, C23}}}},
    /* Mechanism2_9 */ {{{{Quotient, C24},       {Multiply, C22},       {SubtractToZero, C23}, {Add, C21}}}},
}};

// Level 3: sum, product, distance and ratio, each with its own constant.
constexpr LevelTable level3{{
    //                     rosso            verde            blu              grigio
    /* Mechanism3_1 */ {{{{Ratio, C31},    {Multiply, C22}, {Distance, C23}, {Add, C21}}}},
    /* Mechanism3_2 */ {{{{Multiply, C23}, {Add, C23},      {Distance, C23}, {Ratio, C23}}}},
    /* Mechanism3_3 */ {{{{Distance, C32}, {Multiply, C34}, {Add, C31},      {RatioOnX, C33}}}},
    /* Mechanism3_4 */ {{{{RatioOnX, C34}, {Multiply, C31}, {Distance, C23}, {Add, C41}}}},
    /* Mechanism3_5 */ {{{{Add, C41},      {Distance, C43}, {Multiply, C42}, {Ratio, C24}}}},
    /* Mechanism3_6 */ {{{{Add, C34},      {Distance, C33}, {Ratio, C24},    {Multiply, C41}}}},
    /* Mechanism3_7 */ {{{{Add, C21},      {Ratio, C14},    {Distance, C43}, {Multiply, C12}}}},
    /* Mechanism3_8 */ {{{{Multiply, C11}, {Ratio, C12},    {Add, C21},      {Distance, C23}}}},
    /* Mechanism3_9 */ {{{{Ratio, C24},    {Multiply, C22}, {Distance, C13}, {Add, C24}}}},
}};

// Level 4: two chained operations on n, or a choice between two by the parity of n.
constexpr LevelTable level4{{
    //                     rosso                         verde                           blu                           grigio
    /* Mechanism4_1 */ {{{{ShiftDownThenProduct, C42},  {DistanceTimesConstant, C42},   {ShiftUpThenProduct, C42},    {SumThenProduct, C44}}}},
    /* Mechanism4_2 */ {{{{ShiftDownThenProduct, C43},  {InverseQuotientPlusOne, C24},  {ParityShift, C43},           {ParityProductOrQuotient, C43}}}},
    /* Mechanism4_3 */ {{{{ShiftDownThenProduct, C42},  {ParityProductOrQuotient, C43}, {ProductThenShift, C44},      {QuotientPlusConstant, C24}}}},
    /* Mechanism4_4 */ {{{{ParityShift, C43},           {ProductThenShift, C44},        {ShiftUpThenProduct, C23},    {QuotientPlusConstant, C24}}}},
    /* Mechanism4_5 */ {{{{DistanceTimesConstant, C42}, {ProductThenShift, C44},        {ShiftUpThenProduct, C34},    {ParityShift, C43}}}},
    /* Mechanism4_6 */ {{{{QuotientPlusConstant, C24},  {ProductThenShift, C44},        {DistanceTimesConstant, C42}, {QuotientPlusOne, C24}}}},
    /* Mechanism4_7 */ {{{{ParityShift, C43},           {QuotientPlusOne, C24},         {QuotientPlusConstant, C24},  {ParityProductOrQuotient, C43}}}},
    // "verde" had no calculation of its own; it gets the parity shift so that it always answers.
    /* Mechanism4_8 */ {{{{DistanceTimesConstant, C42}, {ParityShift, C43},             {ShiftDownThenProduct, C14},  {ShiftUpThenProduct, C13}}}},
    /* Mechanism4_9 */ {{{{QuotientPlusConstant, C24},  {ShiftTwoThenProduct, C44},     {QuotientPlusOne, C24},       {ParityProductThenShift, C34}}}},
}};

// clang-format on

} // namespace

const LevelTable &levelTable(int level) {
    static constexpr std::array<const LevelTable *, 4> tables{&level1, &level2, &level3, &level4};
    Q_ASSERT(level >= 1 && level <= 4);
    return *tables[std::size_t(level - 1)];
}

} // namespace ingranix::detail
