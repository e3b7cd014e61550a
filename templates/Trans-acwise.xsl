<?xml version="1.0"?>
<!-- The transactions of one account between two dates: the balance before the
     from date, one row per transaction in date and number order with the
     other account, the money in and out and the running balance, day totals
     where a day has several rows, the totals and the closing balance. Money
     into the account counts positive. The window sets FromDate, ToDate
     (yyyymmdd) and AcCode, and puts the date expression in place of
     ##DATEFORMAT##.

     The running balance is carried through a recursion that halves the
     date span: each half gets the balance before it, so every row is looked
     at once per level (a few dozen levels at most) and never summed again
     with the rows before it. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" omit-xml-declaration="yes"/>
  <xsl:variable name="FromDate" select="0"/>
  <xsl:variable name="ToDate" select="0"/>
  <xsl:variable name="AcCode" select="0"/>
  <xsl:key name="head" match="/Data/AcMaster/a" use="@Code"/>

  <xsl:template match="/">
    <xsl:variable name="account" select="/Data/Trans/t[@fAc = $AcCode or @tAc = $AcCode]"/>
    <xsl:variable name="before" select="$account[@dt &lt; $FromDate]"/>
    <xsl:variable name="rows" select="$account[@dt &gt;= $FromDate and @dt &lt;= $ToDate]"/>
    <xsl:variable name="opening" select="sum($before[@tAc = $AcCode]) - sum($before[@fAc = $AcCode])"/>
    <xsl:variable name="in" select="sum($rows[@tAc = $AcCode])"/>
    <xsl:variable name="out" select="sum($rows[@fAc = $AcCode])"/>
    <HTML>
      <BODY>
        <DIV class="reporttitle"><B>[*[REPORTTILE]*]</B></DIV>
        <TABLE width="100%" cellspacing="0" cellpadding="2">
          <TR><TH width="80">Date</TH><TH width="30">No</TH><TH width="160">Account</TH><TH>Details</TH><TH width="90">In</TH><TH width="90">Out</TH><TH width="100">Balance</TH></TR>
          <TR id="opening">
            <TD colspan="6" class="BalanceCaption">Opening balance</TD>
            <TD class="OpeningBalanceAmount" align="right"><xsl:value-of select="format-number($opening, '#,##0.00')"/></TD>
          </TR>
          <xsl:call-template name="span">
            <xsl:with-param name="set" select="$rows"/>
            <xsl:with-param name="lo" select="$FromDate"/>
            <xsl:with-param name="hi" select="$ToDate"/>
            <xsl:with-param name="balance" select="$opening"/>
          </xsl:call-template>
          <TR id="totals">
            <TD colspan="4" class="GrandTotalCaption">Total</TD>
            <TD class="GrandTotalAmount" align="right"><xsl:value-of select="format-number($in, '#,##0.00')"/></TD>
            <TD class="GrandTotalAmount" align="right"><xsl:value-of select="format-number($out, '#,##0.00')"/></TD>
            <TD>&#160;</TD>
          </TR>
          <TR id="closing">
            <TD colspan="6" class="BalanceCaption">Closing balance</TD>
            <TD class="ClosingBalanceAmount" align="right"><xsl:value-of select="format-number($opening + $in - $out, '#,##0.00')"/></TD>
          </TR>
        </TABLE>
      </BODY>
    </HTML>
  </xsl:template>

  <!-- The rows of set, all dated lo to hi, after a balance of balance. -->
  <xsl:template name="span">
    <xsl:param name="set"/>
    <xsl:param name="lo"/>
    <xsl:param name="hi"/>
    <xsl:param name="balance"/>
    <xsl:choose>
      <xsl:when test="not($set)"/>
      <xsl:when test="$lo &gt;= $hi">
        <xsl:call-template name="day">
          <xsl:with-param name="set" select="$set"/>
          <xsl:with-param name="balance" select="$balance"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="mid" select="floor(($lo + $hi) div 2)"/>
        <xsl:variable name="left" select="$set[@dt &lt;= $mid]"/>
        <xsl:call-template name="span">
          <xsl:with-param name="set" select="$left"/>
          <xsl:with-param name="lo" select="$lo"/>
          <xsl:with-param name="hi" select="$mid"/>
          <xsl:with-param name="balance" select="$balance"/>
        </xsl:call-template>
        <xsl:call-template name="span">
          <xsl:with-param name="set" select="$set[@dt &gt; $mid]"/>
          <xsl:with-param name="lo" select="$mid + 1"/>
          <xsl:with-param name="hi" select="$hi"/>
          <xsl:with-param name="balance" select="$balance + sum($left[@tAc = $AcCode]) - sum($left[@fAc = $AcCode])"/>
        </xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The rows of one day in number order, and the day's totals when it has several. -->
  <xsl:template name="day">
    <xsl:param name="set"/>
    <xsl:param name="balance"/>
    <xsl:for-each select="$set">
      <xsl:sort select="@No" data-type="number"/>
      <xsl:variable name="no" select="number(@No)"/>
      <xsl:variable name="upto" select="$set[@No &lt;= $no]"/>
      <TR id="id{@dt}{@No}">
        <TD class="text"><A href="[*[date]*]{@dt}"><xsl:value-of select="##DATEFORMAT##"/></A></TD>
        <TD class="text"><xsl:value-of select="@No"/></TD>
        <TD class="text"><xsl:for-each select="(@fAc | @tAc)[. != $AcCode][1]"><A href="{.}"><xsl:value-of select="key('head', .)/@AcName"/></A></xsl:for-each></TD>
        <TD class="text"><xsl:value-of select="@Nar"/></TD>
        <TD class="Amount" align="right"><xsl:if test="@tAc = $AcCode"><xsl:value-of select="format-number(., '#,##0.00')"/></xsl:if></TD>
        <TD class="Amount" align="right"><xsl:if test="@fAc = $AcCode"><xsl:value-of select="format-number(., '#,##0.00')"/></xsl:if></TD>
        <TD class="Amount" align="right"><xsl:value-of select="format-number($balance + sum($upto[@tAc = $AcCode]) - sum($upto[@fAc = $AcCode]), '#,##0.00')"/></TD>
      </TR>
    </xsl:for-each>
    <xsl:if test="count($set) &gt; 1">
      <TR>
        <TD colspan="4" class="DayTotalCaption">Day total</TD>
        <TD class="DayTotalAmount" align="right"><xsl:value-of select="format-number(sum($set[@tAc = $AcCode]), '#,##0.00')"/></TD>
        <TD class="DayTotalAmount" align="right"><xsl:value-of select="format-number(sum($set[@fAc = $AcCode]), '#,##0.00')"/></TD>
        <TD>&#160;</TD>
      </TR>
    </xsl:if>
  </xsl:template>
</xsl:stylesheet>
