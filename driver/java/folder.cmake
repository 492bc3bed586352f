# The Java-driven models: JNI headers for the bridge (the VM library itself is loaded at run
# time), and our stand-in for the maker's driver archive, built with javac into
# bin/Tarnwick.jar beside the driver library.
find_package(Java 17 REQUIRED COMPONENTS Development)
include(UseJava)

# jni.h of OpenJDK 17 (the VM library is found at run time, not here).
find_path(HARLUNE_JNI_INCLUDE jni.h REQUIRED
          HINTS $ENV{JAVA_HOME}/include /usr/lib/jvm/java-17-openjdk-amd64/include
          NO_DEFAULT_PATH)
target_include_directories(vykdrv32_objects SYSTEM PUBLIC ${HARLUNE_JNI_INCLUDE}
                                                          ${HARLUNE_JNI_INCLUDE}/linux)
target_link_libraries(vykdrv32_objects PUBLIC ${CMAKE_DL_LIBS})

file(GLOB_RECURSE tarnwick_java_sources CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/java/com/*.java)
set(CMAKE_JAVA_COMPILE_FLAGS --release 17 -Xlint:all -Werror)
add_jar(Tarnwick SOURCES ${tarnwick_java_sources} OUTPUT_DIR ${CMAKE_BINARY_DIR}/bin)
add_dependencies(VYKDRV32 Tarnwick)
