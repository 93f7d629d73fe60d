#pragma once

// The rules of a round, free of widgets: classifying a pair, judging a key, keeping the
// score in its 16-bit range and the share of the round that has passed.

#include <QtGlobal>
#include <optional>

namespace game {

constexpr double roundSeconds = 30;
constexpr int tickMilliseconds = 100;

// The categories, tested in this order; the first that matches wins.
enum class AnswerKind { SumTen = 1, Equal = 2, LeftLarger = 3, RightLarger = 4 };

struct Question {
    qint16 leftDigit = 0;
    qint16 rightDigit = 0;
    AnswerKind answerKind = AnswerKind::SumTen;
    qint16 questionValue = 0; // what a right key gains and a wrong key costs
};

// A digit 0..9 from a uniform random number 0 <= r < 1.
qint16 digitFrom(float r);

Question classify(qint16 leftDigit, qint16 rightDigit);

// The category an arrow key answers; nothing for any other key.
std::optional<AnswerKind> categoryAnsweredBy(int qtKey);

// The worth of the category: 10 for sum ten, 5 for equal, 1 otherwise.
qint16 worthOf(AnswerKind kind);

// The score after a change, or the score unchanged when the result would leave the
// 16-bit range: a score never wraps around.
qint16 changedScore(qint16 score, int change);

struct Judgement {
    bool right = false;
    qint16 score = 0;
};

// Judges an arrow key against the pair on screen. A wrong key costs the worth of the pair,
// not the points of the key pressed.
Judgement judge(const Question &question, AnswerKind keyAnswers, qint16 score);

// The elapsed share of the round, 0..100, from two clock readings.
float progressPercent(double startTime, double now);

} // namespace game
