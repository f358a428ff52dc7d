#include "web/AdKey.h"

#include "app/RuntimeRandom.h"

QString TitleKeyFor(int adNumber)
{
    auto &rnd = RuntimeRandom::instance();
    rnd.reseed(-static_cast<float>(adNumber + AdKeyConstant));
    QString key;
    key.reserve(10);
    for (int i = 0; i < 10; ++i)
        key += QChar(49 + static_cast<int>(rnd.next() * 9.0f));
    return key;
}
