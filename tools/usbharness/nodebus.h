#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <umockdev.h>

#include "virtualunit/devicemodel.h"

namespace corvane {

// USB devices presented as Linux device nodes (/dev/bus/usb/001/002, ...) with their sysfs
// records, so that the unmodified USB library of a child process finds and talks to them. The
// child must run with the umockdev preload library; every read and ioctl on a node then arrives
// here, on umockdev's worker thread, and is answered from the device's DeviceModel.
class NodeBus {
  public:
    NodeBus();
    ~NodeBus();
    NodeBus(const NodeBus&) = delete;
    NodeBus& operator=(const NodeBus&) = delete;

    // Adds the device as the next device number on bus 1, starting at 2. Every device is added
    // before the child starts; from then on only the worker thread touches the models.
    // `beforeTransfer` runs ahead of every control transfer the device is asked for.
    void addDevice(std::shared_ptr<DeviceModel> model, std::function<void()> beforeTransfer = {});

    // The directory the child's preload library must see as UMOCKDEV_DIR.
    std::string rootDir() const;

  private:
    struct Node {
        std::shared_ptr<DeviceModel> model;
        std::function<void()> beforeTransfer;
        int devnum = 0;
        std::vector<std::uint8_t> descriptors;
        UMockdevIoctlBase* handler = nullptr;
        std::map<UMockdevIoctlClient*, std::size_t> readOffsets;  // one per open file
    };

    static gboolean OnIoctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, gpointer node);
    static gboolean OnRead(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, gpointer node);
    static void OnConnected(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, gpointer node);
    static void OnVanished(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, gpointer node);
    static void Control(Node& node, UMockdevIoctlClient* client);

    UMockdevTestbed* m_testbed = nullptr;
    std::vector<std::unique_ptr<Node>> m_nodes;
};

}  // namespace corvane
