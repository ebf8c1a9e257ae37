#include "md_play_beside.h"

#include <QEventLoop>
#include <QThread>
#include <exception>
#include <memory>

#include "vko_info.h"
#include "zep_ga_begleitung.h"
#include "zep_ga_player.h"

void MD_PlayBeside(TZEP_GA_Player& APlayer, const TZEP_GA_Sequence& ASequence,
                   TZEP_GA_Begleitung& ABegleitung) try {
    std::exception_ptr fehler;
    const std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            APlayer.PlayBeside(ASequence, ABegleitung);
        } catch (...) {
            fehler = std::current_exception();
        }
    }));
    QEventLoop loop;
    // Queued to this thread: it arrives only once the loop below runs, however fast the play.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    thread->start();
    loop.exec();
    thread->wait();
    if (fehler) {
        std::rethrow_exception(fehler);
    }
} catch (...) {
    RethrowRegistered("MD_PlayBeside");
}
