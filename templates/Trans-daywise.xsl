<?xml version="1.0"?>
<!-- The transactions of one day with edit and delete links. The window
     writes the first and the last date into the second attribute of the
     second and the third child.

     The program gives this template the day's rows already in number order
     with their figures written out: a root DayList (total, and amountWidth,
     the length of the widest figure) holding a t per transaction (dt, No,
     key (dt and No written together), fAc and fName, tAc and tName, amount,
     Nar). Amount cells never wrap. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" omit-xml-declaration="yes"/>
  <xsl:variable name="FromDate" select="0"/>
  <xsl:variable name="ToDate" select="0"/>

  <xsl:template match="/">
    <xsl:variable name="list" select="/DayList"/>
    <HTML>
      <BODY>
        <DIV class="reporttitle"><B>[*[REPORTTILE]*]</B></DIV>
        <TABLE width="100%" cellspacing="0" cellpadding="2">
          <TR><TH width="30">No</TH><TH>From</TH><TH>To</TH><TH width="{$list/@amountWidth * 8 + 14}">Amount</TH><TH>Details</TH><TH width="40">&#160;</TH><TH width="50">&#160;</TH></TR>
          <xsl:for-each select="$list/t[@dt &gt;= $FromDate and @dt &lt;= $ToDate]">
            <TR id="id{@key}">
              <TD class="text"><xsl:value-of select="@No"/></TD>
              <TD class="text"><A href="{@fAc}"><xsl:value-of select="@fName"/></A></TD>
              <TD class="text"><A href="{@tAc}"><xsl:value-of select="@tName"/></A></TD>
              <TD class="Amount" align="right" style="white-space:nowrap"><xsl:value-of select="@amount"/></TD>
              <TD class="text"><xsl:value-of select="@Nar"/></TD>
              <TD class="text"><A href="[*[E]*]{@key}">Edit</A></TD>
              <TD class="text"><A href="[*[D]*]{@key}">Delete</A></TD>
            </TR>
          </xsl:for-each>
          <TR>
            <TD colspan="3" class="DayTotalCaption">Day total</TD>
            <TD class="DayTotalAmount" align="right" style="white-space:nowrap"><xsl:value-of select="$list/@total"/></TD>
            <TD colspan="3">&#160;</TD>
          </TR>
        </TABLE>
      </BODY>
    </HTML>
  </xsl:template>
</xsl:stylesheet>
