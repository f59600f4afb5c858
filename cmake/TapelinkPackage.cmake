# The Debian package: cpack -G DEB in the build folder writes tapelink_<version>_<arch>.deb.
set(CPACK_PACKAGE_NAME tapelink)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tapelink developers")
set(CPACK_PACKAGE_CONTACT "Tapelink developers <tapelink@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build may carry debug information; the package does not, nor the compiler's .comment and .note
# sections, which strip alone keeps (Debian's own packaging removes them too).
set(CPACK_STRIP_FILES ON)
find_program(CPACK_TAPELINK_OBJCOPY objcopy REQUIRED)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/TapelinkStripSections.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TAPELINK_HOMEPAGE})
# The libraries the programs link come from dpkg-shlibdeps (libqt6gui6 brings the X11 platform plugin
# with it); the rest are loaded at run time: Qt's Chinese texts, a font with the Chinese characters, and
# the SVG image and icon-engine plugins that draw the icon.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk, libqt6svg6")
# The Wayland platform plugin: Wayland sessions show the windows natively with it, through XWayland without.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# The first line is the synopsis; CPack indents the rest and turns the empty line into a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[desktop manager for a call-recording desk telephone
Tapelink finds the call-recording telephone when it is plugged in by USB,
lists its recordings, uploads them into a folder on the computer, manages
the telephone's recycle bin, searches and plays the uploaded recordings and
exports recording lists into a spreadsheet workbook. It keeps a catalogue
of the archive folder: it marks what is already archived, uploads only new
recordings, verifies the archived copies by their content and deletes from
the telephone only what is safely archived. A phonebook puts the callers'
names beside their numbers, notes and tags are kept with each recording,
and recordings can be listened to fast (up to twice the speed, pitch kept,
long silences shortened). The windows are in Simplified Chinese;
tapelink-cli does the same from the command line.

录音电话管理软件：录音电话通过USB接入电脑后，自动找到电话，列出其中的
录音，上传到电脑上的文件夹，管理电话的回收站，搜索和播放已上传的录音，
并把录音列表导出为电子表格。存档检查：标出已存档的录音，只上传新录音，
按内容校验存档，只删除已安全存档的录音。电话簿显示来电人姓名，每个录音
可加备注和标签，快速收听可加速播放并缩短长时间静音。]=])

# CPack adds ldconfig calls to postinst and postrm for any shared object under /usr/lib. The audio module
# in /usr/lib/tapelink is private and loaded by its path, so the calls are redundant but harmless; lintian
# names them (maintscript-calls-ldconfig, a warning).

include(CPack)
