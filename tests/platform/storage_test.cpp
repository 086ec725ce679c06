// Mount table, free space, SD card discovery and the USB hand-over against
// the simulated board.
#include <gtest/gtest.h>

#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"
#include "sim/sim_board_state.h"
#include "sim/sim_files.h"
#include "sim/sim_mounts.h"
#include "support/sim_test.h"

using namespace Velto;

class StorageTest : public CVeltoSimBoardTest {
protected:
    std::string Root() const { return m_strRunDir + "/board"; }
};

TEST_F(StorageTest, MountTableLookups) {
    WriteFile(HostPath("/proc/mounts"),
              "rootfs / rootfs rw 0 0\n"
              "none /media/nand vfat rw 0 0\n"
              "/dev/loop0 /mnt/iso iso9660 ro 0 0\n"
              "/dev/loop0 /media/nand/ vfat rw 0 0\n");
    EXPECT_EQ(GetMountpoint("/dev/loop0", "vfat"), "/media/nand/");
    EXPECT_EQ(GetNandDataPart(), "/media/nand");
    EXPECT_EQ(GetMountpoint("none", "vfat"), "");  // not a device path
    EXPECT_EQ(GetMountpoint("/dev/loop0", "ext4"), "");
    EXPECT_EQ(GetMountpoint("", "vfat"), "");
    WriteFile(HostPath("/proc/mounts"), "/dev/loop0 /media/nand ext4 rw 0 0\n");
    EXPECT_EQ(GetNandDataPart(), "");
    unlink(HostPath("/proc/mounts").c_str());
    EXPECT_EQ(GetNandDataPart(), "");
}

TEST_F(StorageTest, FreeSpaceInKiB) {
    EXPECT_EQ(GetAvailDiskSpace(""), -1);
    EXPECT_EQ(GetAvailDiskSpace("/media/no/such/dir"), -1);
    VeltoSim::SetFreeKiB(Root(), "/media/nand", 1536);
    EXPECT_EQ(GetUserNandAvailableSpace(), 1536);
    EXPECT_EQ(GetAvailDiskSpace("/media/nand/DCIM/.."), -1);  // no such directory yet
    VeltoSim::SetFreeKiB(Root(), "/media/nand", 0);
    EXPECT_EQ(GetUserNandAvailableSpace(), 0);
    // The device's 32-bit long: 8 TiB wraps as it does there.
    VeltoSim::SetFreeKiB(Root(), "/media/nand", (1LL << 32) + 5);
    EXPECT_EQ(GetUserNandAvailableSpace(), 5);
}

TEST_F(StorageTest, SdCardStates) {
    EXPECT_EQ(GetMMCBlockSysDir(), "");
    EXPECT_EQ(GetMMCFirstPart(), "");
    EXPECT_EQ(GetFirstMMCAvailableSpace(), -1);
    ASSERT_TRUE(VeltoSim::InsertSdCard(Root()));
    EXPECT_EQ(GetMMCBlockSysDir(), "/sys/block/mmcblk0");
    EXPECT_EQ(GetMMCFirstPartDev(), "/dev/mmcblk0p1");
    EXPECT_EQ(GetMMCFirstPart(), "/media/sd-mmcblk0p1");
    VeltoSim::SetFreeKiB(Root(), "/media/sd-mmcblk0p1", 4096);
    EXPECT_EQ(GetFirstMMCAvailableSpace(), 4096);
    // Inserted but not mounted: the card is not in use.
    EXPECT_EQ(Board().System("/bin/umount -l /media/sd-mmcblk0p1"), 0);
    EXPECT_EQ(GetMMCFirstPartDev(), "/dev/mmcblk0p1");
    EXPECT_EQ(GetMMCFirstPart(), "");
    ASSERT_TRUE(VeltoSim::RemoveSdCard(Root()));
    EXPECT_EQ(GetMMCFirstPartDev(), "");
}

TEST_F(StorageTest, UnreadableBlockDirectoryIsReported) {
    VeltoSim::RemoveTree(HostPath("/sys/block"));
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetMMCBlockSysDir(), "");
    EXPECT_NE(testing::internal::GetCapturedStdout().find("ERROR(No such file or directory): open "
                                                          "/sys/block."),
              std::string::npos);
}

TEST_F(StorageTest, UsbHandOverWithoutCardTouchesOnlyTheInternalMedium) {
    ExportMediaToUsbHost(GetMMCFirstPart());
    EXPECT_EQ(ReadFile(HostPath("/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun0/file")),
              "/dev/loop0\n");
    ReclaimMediaFromUsbHost("");
    EXPECT_EQ(
        Commands(),
        "/bin/echo  /dev/loop0  > /sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun0/file\n"
        "echo 1 > /proc/sys/vm/drop_caches\n"
        "/bin/echo \"\" > /sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun0/file\n"
        "/bin/umount  -f   /media/nand\n"
        "/bin/mount -t vfat /dev/loop0  /media/nand\n");
    EXPECT_EQ(GetNandDataPart(), "/media/nand");
}

TEST_F(StorageTest, UsbHandOverWithCardExportsBothUnits) {
    ASSERT_TRUE(VeltoSim::InsertSdCard(Root()));
    WriteFile(HostPath("/media/sd-mmcblk0p1/DCIM/0000ABCD.jpg"), "jpeg");
    const std::string sd = GetMMCFirstPart();
    ExportMediaToUsbHost(sd);
    EXPECT_EQ(ReadFile(HostPath("/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun1/file")),
              "/dev/mmcblk0p1\n");
    ReclaimMediaFromUsbHost(sd);
    const std::string lun = "/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun";
    EXPECT_EQ(Commands(),
              "/bin/echo  /dev/mmcblk0p1 > " + lun + "1/file\n" + "/bin/echo  /dev/loop0  > " +
                  lun + "0/file\n" + "echo 1 > /proc/sys/vm/drop_caches\n" + "/bin/echo \"\" > " +
                  lun + "1/file\n" + "/bin/umount  -f  /media/sd-mmcblk0p1\n" +
                  "mount -t vfat /dev/mmcblk0p1  /media/sd-mmcblk0p1\n" + "/bin/echo \"\" > " +
                  lun + "0/file\n" + "/bin/umount  -f   /media/nand\n" +
                  "/bin/mount -t vfat /dev/loop0  /media/nand\n");
    EXPECT_EQ(ReadFile(HostPath(lun + "1/file")), "\n");
    // Both media are back, with their files.
    EXPECT_EQ(GetMMCFirstPart(), "/media/sd-mmcblk0p1");
    EXPECT_EQ(ReadFile(HostPath("/media/sd-mmcblk0p1/DCIM/0000ABCD.jpg")), "jpeg");
    EXPECT_EQ(GetNandDataPart(), "/media/nand");
}

TEST_F(StorageTest, CraftedMountPointRunsNoSecondCommand) {
    testing::internal::CaptureStdout();
    ReclaimMediaFromUsbHost("/media/x; rm -rf /");
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("refusing unsafe name"), std::string::npos);
    EXPECT_EQ(Commands().find("rm -rf"), std::string::npos);
}

TEST_F(StorageTest, EveryFixedBoardPathResolvesBelowTheBoardRoot) {
    const std::string root = Root() + "/";
    const char* const paths[] = {BatteryFilename,
                                 BattCurrentFilename,
                                 HwVesionFilename,
                                 USBStatusFilename,
                                 default_rtc,
                                 GPIOCLASS,
                                 nextreg,
                                 lcdtype,
                                 "/sys/power/poweroff_state",
                                 "/dev/fsl_otg",
                                 "/sys/class/leds/led-pwm0/brightness",
                                 "/proc/sys/vm/drop_caches",
                                 "/proc/mounts",
                                 "/sys/block",
                                 "/dev/loop0",
                                 "/dev/mmcblk0p1",
                                 "/dev/video0",
                                 "/dev/fb0",
                                 "/dev/watchdog",
                                 "/sys/class/video4linux",
                                 "/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun0/file",
                                 "/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun1/file",
                                 "/media/nand",
                                 "/media/sd-mmcblk0p1",
                                 "/mnt/ubifs/backing_file",
                                 "/usr/velto/splash",
                                 "/usr/velto/nandformat",
                                 "/usr/velto/img/bye.png"};
    for (const char* p : paths) {
        EXPECT_EQ(Board().MapPath(p).compare(0, root.size(), root), 0) << p;
    }
    // Host paths that are not the board's stay as they are.
    EXPECT_EQ(Board().MapPath("/bin/sed"), "/bin/sed");
    EXPECT_EQ(Board().MapPath("veltoscconf.xml"), "veltoscconf.xml");
}
