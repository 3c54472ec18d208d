#include "tests/support/hidraw/HidrawBed.h"

#include "adapter/hid/HidDevicePath.h"
#include "adapter/wire/LinkLibraryResources.h"
#include "adapter/wire/TavroProduct.h"
#include "common/ResourceFile.h"
#include "tavro/emulator/BuiltInParts.h"
#include "tavro/emulator/EmulatedBus.h"
#include "tavro/emulator/EmulatorSettings.h"
#include "tavro/emulator/TavroEmulator.h"

#include <umockdev.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>

namespace halden::test {

namespace {

constexpr const char* kUmockdevPreload = "libumockdev-preload.so.0";
constexpr const char* kPollShim = "tavro_hidraw_poll.so";

gboolean runWork(gpointer data) {
    (*static_cast<std::function<void()>*>(data))();
    return G_SOURCE_REMOVE;
}

void deleteWork(gpointer data) {
    delete static_cast<std::function<void()>*>(data);
}

} // namespace

// One adapter's place on the bus: its USB port, its present node and the nodes it left
// (kept for the files still open on them).
class HidrawBed::Slot : public HidDeviceListener {
public:
    Slot(HidrawBed& bed, std::shared_ptr<TavroEmulator> adapter, unsigned port)
        : bed_(bed), adapter(std::move(adapter)), port(port) {}

    // The emulator tells its changes on the thread that made them, often the loop's own
    // inside a handler: the testbed follows once that handler is done.
    void arrived(const std::string&) override {
        bed_.post([this] { bed_.replug(*this); });
    }
    void removed(const std::string&) override {
        bed_.post([this] { bed_.replug(*this); });
    }

    HidrawBed& bed_;
    std::shared_ptr<TavroEmulator> adapter;
    unsigned port;
    bool pluggedByHand = true;
    std::unique_ptr<HidrawNode> node;
    std::vector<std::unique_ptr<HidrawNode>> left;
};

HidrawBed::HidrawBed() = default;

std::unique_ptr<HidrawBed> HidrawBed::create(std::string_view settings,
                                             std::uint16_t libraryFirmware, std::string* error) {
    const auto parsed = EmulatorSettings::parse(settings, error);
    if (!parsed) {
        return nullptr;
    }
    std::unique_ptr<HidrawBed> bed(new HidrawBed());
    bed->bus_ = EmulatedBus::create(*parsed, libraryFirmware, BuiltInParts::table(), error);
    if (!bed->bus_) {
        return nullptr;
    }
    bed->testbed_ = umockdev_testbed_new();
    bed->context_ = g_main_context_new();
    bed->loop_ = g_main_loop_new(bed->context_, FALSE);
    std::promise<void> started;
    bed->thread_ = std::thread([raw = bed.get(), &started] {
        g_main_context_push_thread_default(raw->context_);
        raw->loopId_ = std::this_thread::get_id();
        started.set_value();
        g_main_loop_run(raw->loop_);
        g_main_context_pop_thread_default(raw->context_);
    });
    started.get_future().wait();
    unsigned port = 1;
    for (const auto& adapter : bed->bus_->adapters()) {
        bed->slots_.push_back(std::make_unique<Slot>(*bed, adapter, port++));
    }
    for (auto& slot : bed->slots_) {
        slot->adapter->subscribe(*slot);
        bed->run([raw = bed.get(), &slot] { raw->replug(*slot); });
    }
    return bed;
}

HidrawBed::~HidrawBed() {
    for (auto& slot : slots_) {
        slot->adapter->unsubscribe(*slot);
    }
    if (loop_ != nullptr) {
        // Nodes go on the loop thread, where their handlers run.
        run([this] {
            for (auto& slot : slots_) {
                takeOff(*slot);
                slot->left.clear();
            }
        });
        g_main_loop_quit(loop_);
        thread_.join();
        g_main_loop_unref(loop_);
        g_main_context_unref(context_);
    }
    if (testbed_ != nullptr) {
        g_object_unref(testbed_);
        unsetenv("UMOCKDEV_DIR"); // the testbed set it for this process
    }
}

void HidrawBed::post(std::function<void()> work) {
    GSource* source = g_idle_source_new();
    g_source_set_callback(source, runWork, new std::function<void()>(std::move(work)), deleteWork);
    g_source_attach(source, context_);
    g_source_unref(source);
}

void HidrawBed::run(std::function<void()> work) {
    if (std::this_thread::get_id() == loopId_) {
        post(std::move(work));
        return;
    }
    std::promise<void> done;
    post([&] {
        work();
        done.set_value();
    });
    done.get_future().wait();
}

void HidrawBed::takeOff(Slot& slot) {
    if (slot.node) {
        slot.node->unplug(testbed_);
        const std::lock_guard lock(mutex_);
        slot.left.push_back(std::move(slot.node));
    }
}

void HidrawBed::replug(Slot& slot) {
    const std::uint16_t productId = slot.pluggedByHand ? slot.adapter->productId() : 0;
    if (slot.node && slot.node->productId() == productId) {
        return;
    }
    takeOff(slot);
    if (productId == 0) {
        return;
    }
    auto node = std::make_unique<HidrawNode>(
        slot.adapter, productId, HidrawNode::Place{slot.port, nextSequence_++, nextMinor_++});
    std::string error;
    if (!node->plug(testbed_, error)) {
        g_warning("tavro hidraw bed: %s cannot be added: %s", node->devNode().c_str(),
                  error.c_str());
        return;
    }
    const std::lock_guard lock(mutex_);
    slot.node = std::move(node);
}

std::size_t HidrawBed::adapterCount() const {
    return slots_.size();
}

TavroEmulator& HidrawBed::adapter(std::size_t index) {
    return *slots_.at(index)->adapter;
}

std::string HidrawBed::devNode(std::size_t index) {
    const std::lock_guard lock(mutex_);
    const auto& node = slots_.at(index)->node;
    return node ? node->devNode() : std::string();
}

std::string HidrawBed::systemPath(std::size_t index) {
    const std::lock_guard lock(mutex_);
    const auto& node = slots_.at(index)->node;
    if (!node) {
        return {};
    }
    const std::string name = node->devNode();
    return HidDevicePath::format(kTavroVendorId, node->productId(),
                                 name.substr(name.find_last_of('/') + 1));
}

void HidrawBed::unplug(std::size_t index) {
    run([this, index] {
        slots_.at(index)->pluggedByHand = false;
        replug(*slots_.at(index));
    });
}

void HidrawBed::plug(std::size_t index) {
    run([this, index] {
        slots_.at(index)->pluggedByHand = true;
        replug(*slots_.at(index));
    });
}

std::string HidrawBed::rootDir() const {
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    std::string dir = root;
    g_free(root);
    return dir;
}

void HidrawBed::restartUnderPreload(char** argv) {
    const char* earlier = std::getenv("LD_PRELOAD");
    if (earlier != nullptr && std::strstr(earlier, "libumockdev-preload") != nullptr) {
        return;
    }
    const std::string preload =
        preloadVariable() +
        (earlier != nullptr && *earlier != 0 ? ":" + std::string(earlier) : std::string());
    setenv("LD_PRELOAD", preload.c_str(), 1);
    // A sanitizer build would refuse to start with a library preloaded before its runtime.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const std::string options =
        (sanitizer != nullptr && *sanitizer != 0 ? std::string(sanitizer) + ":" : std::string()) +
        "verify_asan_link_order=0";
    setenv("ASAN_OPTIONS", options.c_str(), 1);
    execv("/proc/self/exe", argv);
    std::perror("cannot restart under umockdev's preload library");
    std::exit(1);
}

std::uint16_t HidrawBed::libraryFirmware(const std::string& libraryPath) {
    const auto image = ResourceFile::read(libraryPath, LinkLibraryResources::kFirmwareType,
                                          LinkLibraryResources::kFirmwareId);
    const auto& bytes = image.bytes;
    if (image.error != 0 || bytes.size() < 2) {
        return 0;
    }
    return static_cast<std::uint16_t>((bytes[bytes.size() - 2] << 8) | bytes.back());
}

std::string HidrawBed::preloadVariable(const std::string& dir) {
    std::string shimDir = dir;
    if (shimDir.empty()) {
        // Beside this program, or where the build put it (a test program's own folder).
        shimDir = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
        if (!std::filesystem::exists(shimDir + "/" + kPollShim)) {
            shimDir = TAVRO_HIDRAW_SHIM_DIR;
        }
    }
    return std::string(kUmockdevPreload) + ":" + shimDir + "/" + kPollShim;
}

} // namespace halden::test
