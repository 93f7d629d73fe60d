#include "rules.h"

#include <Qt>
#include <cmath>
#include <limits>

namespace game {

qint16 digitFrom(float r)
{
    return qint16(qBound(0, int(std::floor(r * 10.0f)), 9));
}

Question classify(qint16 leftDigit, qint16 rightDigit)
{
    Question question;
    question.leftDigit = leftDigit;
    question.rightDigit = rightDigit;
    if (leftDigit + rightDigit == 10)
        question.answerKind = AnswerKind::SumTen;
    else if (leftDigit == rightDigit)
        question.answerKind = AnswerKind::Equal;
    else if (leftDigit > rightDigit)
        question.answerKind = AnswerKind::LeftLarger;
    else
        question.answerKind = AnswerKind::RightLarger;
    question.questionValue = worthOf(question.answerKind);
    return question;
}

std::optional<AnswerKind> categoryAnsweredBy(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Left:
        return AnswerKind::LeftLarger;
    case Qt::Key_Up:
        return AnswerKind::SumTen;
    case Qt::Key_Right:
        return AnswerKind::RightLarger;
    case Qt::Key_Down:
        return AnswerKind::Equal;
    default:
        return std::nullopt;
    }
}

qint16 worthOf(AnswerKind kind)
{
    switch (kind) {
    case AnswerKind::SumTen:
        return 10;
    case AnswerKind::Equal:
        return 5;
    case AnswerKind::LeftLarger:
    case AnswerKind::RightLarger:
        break;
    }
    return 1;
}

qint16 changedScore(qint16 score, int change)
{
    const int result = score + change;
    if (result < std::numeric_limits<qint16>::min() || result > std::numeric_limits<qint16>::max())
        return score;
    return qint16(result);
}

Judgement judge(const Question &question, AnswerKind keyAnswers, qint16 score)
{
    if (keyAnswers == question.answerKind)
        return { true, changedScore(score, worthOf(keyAnswers)) };
    return { false, changedScore(score, -question.questionValue) };
}

float progressPercent(double startTime, double now)
{
    return float(qBound(0.0, (now - startTime) * 100.0 / roundSeconds, 100.0));
}

} // namespace game
