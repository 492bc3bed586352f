package com.varnholt.tarnwick;

import java.util.HashMap;
import java.util.Map;

/**
 * A simulated instrument behind the driver object the native library creates. Devices
 * come from the environment variable TARNWICK_DEVICES ("Model:index:serial" entries
 * separated by ';'); without it each model has one device at index 0 whose serial is the
 * model word followed by "0001". Stored slots persist per device for the life of the
 * process. Writing a method name into slot 100 makes that method throw until the slot is
 * cleared (TARNWICK_THROW sets it at start).
 */
public class SimulatedSpectrometer {
    /** The slot whose text names a method that throws. */
    public static final int THROW_SLOT = 100;

    private static final Map<String, Map<Integer, String>> slots = new HashMap<>();
    private static String throwing = envOr("TARNWICK_THROW", "");

    private final String model;
    private final int pixels;
    private int openIndex = -1;
    private int integrationTime = 100000;
    private int triggerMode;
    private int lastScans = 1;
    private boolean strobeFlag;
    private boolean powerDown;
    private final Map<String, Integer> registers = new HashMap<>();
    private final int[] fpga = new int[256];
    private int gpioMux;
    private int gpioIo;
    private int gpioData;
    private int psoc;
    private float[] temperatureCoefficients = {0.5f, 0.25f};
    private double[] o2 = new double[17];
    private int mavrinModulation;
    private int mavrinDa;
    private byte[] lastSent = new byte[0];

    protected SimulatedSpectrometer(String model, int pixels) {
        this.model = model;
        this.pixels = pixels;
        for (int i = 0; i < o2.length; ++i) {
            o2[i] = i * 0.5;
        }
    }

    private static String envOr(String name, String fallback) {
        String value = System.getenv(name);
        return value == null ? fallback : value;
    }

    private void check(String method) {
        if (!throwing.isEmpty() && throwing.equals(method)) {
            throw new IllegalStateException(method + " fails on request");
        }
    }

    /** The serial number of the model's device at an index, or null when there is none. */
    private String serialAt(int index) {
        String devices = System.getenv("TARNWICK_DEVICES");
        if (devices == null) {
            return index == 0 ? model + "0001" : null;
        }
        for (String entry : devices.split(";")) {
            String[] parts = entry.trim().split(":");
            if (parts.length == 3 && parts[0].equals(model)
                    && parts[1].equals(Integer.toString(index))) {
                return parts[2];
            }
        }
        return null;
    }

    private Map<Integer, String> deviceSlots(int index) {
        return slots.computeIfAbsent(model + ":" + index, key -> new HashMap<>());
    }

    private int reg(String name) {
        return registers.getOrDefault(name, 0);
    }

    public int openSpectrometer(int index) {
        check("openSpectrometer");
        if (serialAt(index) == null) {
            return 0;
        }
        openIndex = index;
        return 1;
    }

    public void closeSpectrometer() {
        check("closeSpectrometer");
        openIndex = -1;
    }

    public int getDeviceIndex() {
        check("getDeviceIndex");
        return openIndex;
    }

    public void setIntegrationTime(int time) {
        check("setIntegrationTime");
        integrationTime = time;
    }

    public void setStrobeEnable(boolean flag) {
        check("setStrobeEnable");
        strobeFlag = flag;
    }

    public void setStrobeEnable(int value) {
        check("setStrobeEnable");
        registers.put("strobeEnable", value);
    }

    public int getStrobeEnable() {
        check("getStrobeEnable");
        return reg("strobeEnable");
    }

    public void setExternalTriggerMode(int mode) {
        check("setExternalTriggerMode");
        triggerMode = mode;
    }

    public void setSpectrometerChannel(short channel) {
        check("setSpectrometerChannel");
    }

    public void scan(int scans) {
        check("scan");
        lastScans = Math.max(scans, 1);
    }

    /**
     * Whether the accumulator holds the sum of the scans taken rather than their mean. The
     * models average their scans inside the driver; a model whose library divides the sum
     * itself says so here.
     */
    protected boolean sumsScans() {
        return false;
    }

    /**
     * The scans of the last scan call: each scan's pixel i holds 100 + i mod 1000 plus the
     * trigger mode; the accumulator holds their mean (or their sum, see sumsScans).
     */
    public double[] getAccumulator() {
        check("getAccumulator");
        double[] values = new double[pixels];
        double factor = sumsScans() ? lastScans : 1.0;
        for (int i = 0; i < pixels; ++i) {
            values[i] = factor * (100.0 + i % 1000 + triggerMode);
        }
        return values;
    }

    public String getCoefficient(int slot) {
        check("getCoefficient");
        if (openIndex < 0) {
            return null;
        }
        if (slot == 0) {
            return deviceSlots(openIndex).getOrDefault(0, serialAt(openIndex));
        }
        return deviceSlots(openIndex).get(slot);
    }

    public void setCoefficient(int slot, String text) {
        check("setCoefficient");
        if (slot == THROW_SLOT) {
            throwing = text;
            return;
        }
        if (openIndex >= 0) {
            deviceSlots(openIndex).put(slot, text);
        }
    }

    public String getSerialNumber() {
        check("getSerialNumber");
        return openIndex < 0 ? null : serialAt(openIndex);
    }

    public int sendData(int pipe, byte[] data, int length) {
        check("sendData");
        lastSent = data.clone();
        return Math.min(length, data.length);
    }

    /** Fills the array with the last bytes sent, then with 0x5A. */
    public int getData(int pipe, byte[] data, int length) {
        check("getData");
        int n = Math.min(length, data.length);
        for (int i = 0; i < n; ++i) {
            data[i] = i < lastSent.length ? lastSent[i] : (byte) 0x5A;
        }
        return n;
    }

    public String getStringDescriptor(int index) {
        check("getStringDescriptor");
        return index == 1 ? model + " firmware 2.10" : null;
    }

    public void setPowerDown(boolean flag) {
        check("setPowerDown");
        powerDown = flag;
    }

    public int setI2C(byte address, byte count, byte[] data) {
        check("setI2C");
        return data.length;
    }

    /** Byte k read from an address is address + k. */
    public byte[] getI2C(byte address, byte count) {
        check("getI2C");
        byte[] data = new byte[Math.max(count, 0)];
        for (int k = 0; k < data.length; ++k) {
            data[k] = (byte) (address + k);
        }
        return data;
    }

    public void setSPI(int count, byte[] data) {
        check("setSPI");
    }

    public byte[] getSPI(int count) {
        check("getSPI");
        byte[] data = new byte[Math.max(count, 0)];
        for (int k = 0; k < data.length; ++k) {
            data[k] = (byte) (0xA0 + k);
        }
        return data;
    }

    public void setPSOC(int value) {
        check("setPSOC");
        psoc = value;
    }

    /** The analog input reads back 8 times the output count (counts of 5/8192 V). */
    public int getPSOC() {
        check("getPSOC");
        return psoc * 8;
    }

    public String getPSOCVersion() {
        check("getPSOCVersion");
        return "PSoC 1.4";
    }

    public void setFPGA(byte register, int value) {
        check("setFPGA");
        fpga[register & 0xFF] = value;
    }

    public int getFPGA(byte register) {
        check("getFPGA");
        return fpga[register & 0xFF];
    }

    public String getFPGAFirmware() {
        check("getFPGAFirmware");
        return "FPGA 3.0";
    }

    public void setMasterClockDivisor(int value) {
        check("setMasterClockDivisor");
        registers.put("masterClockDivisor", value);
    }

    public int getMasterClockDivisor() {
        check("getMasterClockDivisor");
        return reg("masterClockDivisor");
    }

    public void setContinuousStrobeBase(int value) {
        check("setContinuousStrobeBase");
        registers.put("continuousStrobeBase", value);
    }

    public int getContinuousStrobeBase() {
        check("getContinuousStrobeBase");
        return reg("continuousStrobeBase");
    }

    public void setContinuousStrobeClock(int value) {
        check("setContinuousStrobeClock");
        registers.put("continuousStrobeClock", value);
    }

    public int getContinuousStrobeClock() {
        check("getContinuousStrobeClock");
        return reg("continuousStrobeClock");
    }

    public void setIntegrationTimeBaseClock(int value) {
        check("setIntegrationTimeBaseClock");
        registers.put("integrationTimeBaseClock", value);
    }

    public int getIntegrationTimeBaseClock() {
        check("getIntegrationTimeBaseClock");
        return reg("integrationTimeBaseClock");
    }

    public void setIntegrationClockTimer(int value) {
        check("setIntegrationClockTimer");
        registers.put("integrationClockTimer", value);
    }

    public int getIntegrationClockTimer() {
        check("getIntegrationClockTimer");
        return reg("integrationClockTimer");
    }

    public void setShutterClock(int value) {
        check("setShutterClock");
        registers.put("shutterClock", value);
    }

    public int getShutterClock() {
        check("getShutterClock");
        return reg("shutterClock");
    }

    public void setSingleStrobeHigh(int value) {
        check("setSingleStrobeHigh");
        registers.put("singleStrobeHigh", value);
    }

    public int getSingleStrobeHigh() {
        check("getSingleStrobeHigh");
        return reg("singleStrobeHigh");
    }

    public void setSingleStrobeLow(int value) {
        check("setSingleStrobeLow");
        registers.put("singleStrobeLow", value);
    }

    public int getSingleStrobeLow() {
        check("getSingleStrobeLow");
        return reg("singleStrobeLow");
    }

    public short getGPIOMux() {
        check("getGPIOMux");
        return (short) gpioMux;
    }

    public void setGPIOMux(int value) {
        check("setGPIOMux");
        gpioMux = value;
    }

    public void setGPIOMuxReg(int value) {
        check("setGPIOMuxReg");
        gpioMux = value;
    }

    public void setGPIOMuxAlt(int value) {
        check("setGPIOMuxAlt");
        gpioMux = ~value & 0x3FF;
    }

    public int getGPIOPinMux(int pin) {
        check("getGPIOPinMux");
        return (gpioMux >> pin) & 1;
    }

    public short getGPIOIO() {
        check("getGPIOIO");
        return (short) gpioIo;
    }

    public void setGPIOIO(int value) {
        check("setGPIOIO");
        gpioIo = value;
    }

    public short getGPIOPinIO(int pin) {
        check("getGPIOPinIO");
        return (short) ((gpioIo >> pin) & 1);
    }

    public void setGPIOPinIO(int pin, int direction) {
        check("setGPIOPinIO");
        gpioIo = direction != 0 ? gpioIo | (1 << pin) : gpioIo & ~(1 << pin);
    }

    public void setGPIOPinOutput(int pin) {
        check("setGPIOPinOutput");
        gpioIo |= 1 << pin;
    }

    public void setGPIOPinInput(int pin) {
        check("setGPIOPinInput");
        gpioIo &= ~(1 << pin);
    }

    public void setGPIODataReg(int value) {
        check("setGPIODataReg");
        gpioData = value;
    }

    public short getGPIODataReg() {
        check("getGPIODataReg");
        return (short) gpioData;
    }

    public void setGPIOPinData(int pin, int level) {
        check("setGPIOPinData");
        gpioData = level != 0 ? gpioData | (1 << pin) : gpioData & ~(1 << pin);
    }

    public short getGPIOPinData(int pin) {
        check("getGPIOPinData");
        return (short) ((gpioData >> pin) & 1);
    }

    public int getLastAutonullingStatusValue() {
        check("getLastAutonullingStatusValue");
        return 7;
    }

    public int getLastAutonullingDarkValue() {
        check("getLastAutonullingDarkValue");
        return 1234;
    }

    public double getAutonullingSaturationValue() {
        check("getAutonullingSaturationValue");
        return 65535.0;
    }

    public double getExternalTemperatureCelsius() {
        check("getExternalTemperatureCelsius");
        return 21.5;
    }

    public float getTemperatureCoefficient(int index) {
        check("getTemperatureCoefficient");
        return index >= 0 && index < 2 ? temperatureCoefficients[index] : 0.0f;
    }

    public void setTemperatureCoefficients(float first, float second) {
        check("setTemperatureCoefficients");
        temperatureCoefficients = new float[] {first, second};
    }

    public double[] getO2ProbeCalibrationCoefficients() {
        check("getO2ProbeCalibrationCoefficients");
        return o2.clone();
    }

    public void setO2ProbeCalibrationCoefficients(double[] values) {
        check("setO2ProbeCalibrationCoefficients");
        o2 = values.clone();
    }

    public int getMavrinModulation() {
        check("getMavrinModulation");
        return mavrinModulation;
    }

    public void setMavrinModulation(int value) {
        check("setMavrinModulation");
        mavrinModulation = value;
    }

    public void setMavrinDa(int value) {
        check("setMavrinDa");
        mavrinDa = value;
    }

    public double getBoardTemperature() {
        check("getBoardTemperature");
        return powerDown ? 30.25 : 31.25;
    }

    public void setHardwareTriggerDelay(int value) {
        check("setHardwareTriggerDelay");
        registers.put("hardwareTriggerDelay", value);
    }

    public int getHardwareTriggerDelay() {
        check("getHardwareTriggerDelay");
        return reg("hardwareTriggerDelay");
    }

    /** The maker spells this setter so; the library binds it by that name. */
    public void setHarewareTriggerMode(int value) {
        check("setHarewareTriggerMode");
        registers.put("hardwareTriggerMode", value);
    }

    public int getHardwareTriggerMode() {
        check("getHardwareTriggerMode");
        return reg("hardwareTriggerMode");
    }
}
