#pragma once
// A sync run driven to its end in a loop of its own, for a caller without
// an event loop (the terminal command, the tests): the run's result once it
// says it is finished.
#include <QEventLoop>
#include <QObject>

namespace tmf::dav {

template <typename Result, typename Run>
Result RunToTheEnd(Run& run) {
    Result result;
    QEventLoop loop;
    QObject::connect(&run, &Run::finished, &loop, [&](const Result& r) {
        result = r;
        loop.quit();
    });
    run.start();
    loop.exec();
    return result;
}

}  // namespace tmf::dav
