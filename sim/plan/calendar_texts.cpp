#include "sim/plan/calendar_texts.h"

namespace vesk::plan {
namespace {

const CalendarTexts kEnglish{
    "VESK: when the board is on",
    "Simulated: ",
    "History: ",
    " to ",
    {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
    {"on by the wake-up alarm", "on by power button or power", "on by the watchdog", "on before the record begins",
     "planned period", "day off", "holiday: off all day",
     "off by the timetable's shutdown", "off by a postponed shutdown", "reset by the watchdog",
     "power cut, or the record stops", "still on at the end", "holiday with its own periods",
     "shutdown warning", "postponement", "clock change", "short start (under 5 minutes)"},
    "day off",
    "holiday: off",
    "holiday ",
    "clock ",
    " h",
    "clock set",
    "short start ",
    " line(s) could not be read and are left out:",
    " line ",
    "",
    {"not a history line", "unreadable fields", "unknown event", "cut off"},
    " more",
};

const CalendarTexts kChinese{
    "VESK：主板开机时间",
    "模拟：",
    "历史记录：",
    " 至 ",
    {"周日", "周一", "周二", "周三", "周四", "周五", "周六"},
    {"由唤醒闹钟开机", "由电源按钮或通电开机", "由看门狗开机", "记录开始前已开机",
     "计划时段", "休息日", "假日：全天关机",
     "按时间表关机", "推迟后关机", "看门狗复位",
     "断电，或记录中断", "结束时仍开机", "假日：另定时段",
     "关机警告", "推迟", "时钟变化", "短暂开机（不足5分钟）"},
    "休息日",
    "假日：关机",
    "假日 ",
    "时钟 ",
    " 小时",
    "时钟被调整",
    "短暂开机 ",
    " 行无法读取，未画出：",
    " 第 ",
    " 行",
    {"不是历史记录行", "字段无法读取", "未知事件", "被截断"},
    " 行未列出",
};

}  // namespace

const CalendarTexts& TextsFor(bool chinese) { return chinese ? kChinese : kEnglish; }

}  // namespace vesk::plan
