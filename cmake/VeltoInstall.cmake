# Install tree of the device. Included at the end of the top-level
# CMakeLists.txt, once every program target exists.
#
#   cmake --install build-armel --prefix <rootfs>
#
# lays out, below <rootfs>:
#   usr/velto/            keeper, veltosc, chargeled, splash (those that are built)
#   usr/velto/img/        the artwork, bye.png among it
#   usr/velto/fonts/      Arial.ttf, Arialb.ttf, MSYH.TTF (as the assets folder names them)
#   usr/velto/veltoscconf.xml
#   etc/init.d/velto      SysV start-up script: starts chargeled and keeper
#   etc/rc?.d/            its runlevel links
#
# keeper is started in usr/velto, so veltosc finds img/, fonts/ and its
# configuration relative to its working directory, and "/usr/velto/img/bye.png"
# is the same file as "img/bye.png".
#
# Without --prefix the tree goes to <build>/stage, never into the host's /usr.
include_guard(GLOBAL)

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX "${PROJECT_BINARY_DIR}/stage" CACHE PATH "Root of the install tree"
        FORCE)
endif()

set(VELTO_INSTALL_DIR usr/velto)
set(VELTO_INIT_DIR etc/init.d)

# The artwork as the assets folder lays it out beside the programs: img/,
# usr_velto_img/ (what the device keeps in /usr/velto/img, bye.png) and
# fonts/ under the face names. Both picture folders are one on the device,
# because keeper runs veltosc in /usr/velto.
foreach(program keeper veltosc chargeled splash)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${VELTO_INSTALL_DIR})
    endif()
endforeach()
install(DIRECTORY "${VELTO_BIN_DIR}/img/" "${VELTO_BIN_DIR}/usr_velto_img/"
        DESTINATION ${VELTO_INSTALL_DIR}/img OPTIONAL)
install(DIRECTORY "${VELTO_BIN_DIR}/fonts/" DESTINATION ${VELTO_INSTALL_DIR}/fonts OPTIONAL)
install(FILES "${PROJECT_SOURCE_DIR}/assets/veltoscconf.xml" DESTINATION ${VELTO_INSTALL_DIR}
        OPTIONAL)

install(PROGRAMS "${PROJECT_SOURCE_DIR}/dist/init.d/velto" DESTINATION ${VELTO_INIT_DIR})

# Runlevel links as update-rc.d would make them: started late in the
# multi-user levels, stopped early on halt and reboot.
install(CODE [[
    set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/etc")
    foreach(link rc2.d/S90velto rc3.d/S90velto rc4.d/S90velto rc5.d/S90velto
                 rc0.d/K10velto rc1.d/K10velto rc6.d/K10velto)
        get_filename_component(dir "${root}/${link}" DIRECTORY)
        file(MAKE_DIRECTORY "${dir}")
        file(CREATE_LINK ../init.d/velto "${root}/${link}" SYMBOLIC)
        message(STATUS "Installing: ${root}/${link} -> ../init.d/velto")
    endforeach()
]])
